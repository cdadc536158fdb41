#pragma once

namespace vorn {

class Session;

// The general-settings groups of the Vorn (items of groups 112 / 96), each read into or
// written from Session::general (PalkFlexStart lives in the model). Every routine returns
// whether its block went through; messages go through the session's prompter.
//
// Reads make the link two-way first. A reply of the wrong size or echo is reported and that
// setting keeps its value; the routine goes on with its next frame. A parity code 1 in a
// serial-port reply is kept as read (no parity button is selected) so that writing the
// settings back does not change the device.
bool ReadGenVersion(Session& s);
bool ReadGenID(Session& s);
bool ReadGenHWC(Session& s);
bool ReadGenDCC(Session& s);
bool ReadGenAddr(Session& s);
bool ReadLC(Session& s);
bool ReadGenSerial(Session& s);

// Writes pause 100 ms after each frame on a one-way link and stop at the first frame the
// link refuses. WriteGenID cuts the text to 12 characters (the box shows the cut text) and
// refuses, with a message and nothing sent, text holding character codes above 127.
bool WriteGenID(Session& s);
bool WriteGenHWC(Session& s);
bool WriteGenDCC(Session& s);
bool WriteGenAddr(Session& s);
bool WriteLC(Session& s);
bool WriteGenSerial(Session& s);

// "Erase Flash": with the port open, two confirmations (the second answered by the buttons
// kEraseButton / kKeepButton), then 96, 0 and EraseFlashCode as a frame that asks for no
// answer. Returns true when the request was sent; the device then needs up to 45 s
// (kEraseSentText says so).
inline constexpr const char* kEraseButton = "Erase";
inline constexpr const char* kKeepButton = "Keep configuration";
inline constexpr const char* kEraseSentText =
    "Erase request sent: the Vorn may take up to 45 seconds to erase its configuration memory "
    "(its green LED is on meanwhile).";
bool EraseFlash(Session& s);

}  // namespace vorn
