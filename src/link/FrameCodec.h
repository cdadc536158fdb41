#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// Check byte of a Vorn or tunnel frame: a running sum from the start byte, folded back
// whenever it passes 256, closed so that the whole frame adds up to a multiple of 128.
uint8_t CheckByte(const uint8_t* frame, size_t n);
inline uint8_t CheckByte(const std::vector<uint8_t>& frame) { return CheckByte(frame.data(), frame.size()); }

// True when the start byte plus the low seven bits of every later byte is a multiple of 128.
bool FrameSumOk(const uint8_t* frame, size_t n);

// Upper-case hexadecimal without leading zeros ("0", "7F").
std::string Hex(unsigned value);

// Start byte A of a Vorn frame without its toggle bit.
inline uint8_t VornAddressByte(int moduleAddress) {
  return static_cast<uint8_t>(4 * (moduleAddress & 15) + 3);
}

struct VornFrameParams {
  int moduleAddress = 0;
  uint8_t toggle = 0;  // 0 or 64
  bool wantAnswer = true;
  bool extended = false;
  int extAddress = 0;
};

// The request frame as sent on the direct link: start, header, [ext], data, check.
// Data values are taken as 7-bit; at most 15 data bytes are framed.
std::vector<uint8_t> BuildVornFrame(const VornFrameParams& p, const std::vector<uint8_t>& data);

// The legacy one-way five-byte Palk frame.
std::vector<uint8_t> BuildPalkFrame(uint8_t a, uint8_t c, uint8_t p1, uint8_t p2);

// The resynchronisation pattern.
const std::vector<uint8_t>& ResyncPattern();

// Receiver of one direct-link reply, fed a byte at a time. It writes into a 21-entry
// buffer; a frame with a bad sum is dropped and reception waits for the next start byte.
class ReplyReceiver {
 public:
  enum class Event {
    None,           // byte taken, frame not complete
    Complete,       // a frame with a good sum is in the buffer
    ChecksumBad,    // a frame was dropped
    ExtAddressByte  // the extended address byte passed; see extByte()
  };

  explicit ReplyReceiver(std::array<uint8_t, 21>& buffer) : buf_(buffer) {}
  void reset() { state_ = 0; }
  Event feed(uint8_t b);
  uint8_t extByte() const { return ext_; }

 private:
  std::array<uint8_t, 21>& buf_;
  int state_ = 0;  // 0 = waiting for a start byte, 1 = header, 50 = ext byte, 2..17 = data/check
  int remaining_ = 0;
  unsigned sum_ = 0;
  uint8_t ext_ = 0;
};

// ---- Kestro tunnel frames ----

// Start byte for a payload of s bytes (0..19) with the given toggle (0/1).
uint8_t TunnelStartByte(int size, int toggle);
// Payload size announced by a received start byte (0..23).
int TunnelSizeFromStart(uint8_t start);
std::vector<uint8_t> BuildTunnelFrame(int toggle, const std::vector<uint8_t>& payload);

// Largest payload whose check byte still lands inside the 20 checked entries.
constexpr int kMaxCheckedTunnelPayload = 18;

// Receiver of one tunnel frame. Entry 0 holds the start byte while receiving and the size
// once a frame was accepted; entries 1..s+1 the payload and the check byte (7 bits).
class TunnelReceiver {
 public:
  enum class Event { None, Complete, ChecksumBad };

  explicit TunnelReceiver(std::array<uint8_t, 21>& buffer) : buf_(buffer) {}
  void reset();
  Event feed(uint8_t b);
  int size() const { return size_; }
  const std::string& logLine() const { return line_; }  // "< 2B..." as far as received

 private:
  std::array<uint8_t, 21>& buf_;
  bool started_ = false;
  int size_ = 0;
  int index_ = 0;
  int expected_ = 0;
  std::string line_;
};

// Version number from the two bytes of a protocol or interface answer (25,0 -> 3100).
int KestroVersion(uint8_t x, uint8_t y);

}  // namespace vorn
