#pragma once

#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"
#include "operations/EventEditor.h"

namespace vorn::test {

// A Vorn worth writing: every pin with a program (layouts 3 and 2 in turn, every slot in
// use), initial aspects, address counts, a three-pin device, all configuration types,
// event actions and enable maps that differ from the start values.
inline void FillFullConfiguration(ConfigModel& m, EventControlState& ec) {
  for (int p = 0; p < kPinsInUse; ++p) {
    PinData& pd = m.pin(p);
    pd.AspectConfig = p % 2 ? kLayout12x3 : kLayout4x9;
    const int aspects = AspectsInLayout(pd.AspectConfig);
    const int slots = SlotsInLayout(pd.AspectConfig);
    for (int a = 0; a < aspects; ++a) {
      for (int i = 0; i < slots; ++i) {
        Instruction& in = m.instr(p, a, i);
        switch ((p + a + i) % 4) {
          case 0:
            in = Instruction{38, 1, 0, static_cast<uint8_t>((a * 3 + i) % 32), 0, 0};
            break;                                                                          // Set Level, fade
          case 1: in = Instruction{5, 0, 0, 200, static_cast<uint8_t>(100 + i), 0}; break;  // SendSerial 2
          case 2: in = Instruction{102, 0, 0, 0, static_cast<uint8_t>(i + 1), 1}; break;    // Wait
          default: in = Instruction{39, 0, 0, static_cast<uint8_t>(64 + a), 0, 0}; break;   // Set Servo
        }
      }
    }
    pd.InitAspect = static_cast<uint8_t>(p % aspects + 1);
    pd.DCCCount = static_cast<uint8_t>(p % 3);
    pd.XDCCCount = static_cast<uint8_t>(p % 2);
    pd.SerialCount = static_cast<uint8_t>((p + 1) % 4);
    switch (p % 4) {
      case 0: pd.PinConfig = {1, 10, 5, 20, 100, 3, 4, 5, 6, 7, 8, 9, 0}; break;  // servo
      case 1: pd.PinConfig = {2, 31, 2, 1, 4, 28, 0, 0, 0, 0, 0, 0, 0}; break;    // PWM
      case 2: pd.PinConfig = {4, 3, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}; break;      // input
      default: pd.PinConfig = {0}; break;
    }
    for (int j = 0; j < kEventInputs; ++j) {
      m.eventOn(p, j) = static_cast<int16_t>((p + j) % 13 - 1);
      m.eventOff(p, j) = static_cast<int16_t>((p * 3 + j) % 12);
    }
  }
  m.pin(21).DevicePointer = -1;  // pins 20..22 form one device
  m.pin(22).DevicePointer = -2;
  ec.CheckInitEE = {true, false, true, false, false, true, true, false};
}

// General settings that differ from the start values of a window and of vornsim in every item.
inline GeneralSettings DistinctiveGeneral() {
  GeneralSettings g;
  g.IDString = "Signal Box 7";
  g.HWCSink = {true, false, true, false};
  g.HWCSource = {false, true, true, false};
  g.ModuleExtAddress = 42;
  for (int box : {0, 3, 6, 9, 12, 15}) g.XGM[static_cast<size_t>(box)] = true;
  g.DCCAddress = 300;
  g.XDCCAddress = 1500;
  g.DCCRetention = 3;
  g.DCCStateInvert = true;
  g.DCCAllow0 = true;
  g.LCGreen[7] = TriState::Grey;  // nothing chosen: "Idle Flash", sent as mask 0
  g.LCOrange[1] = g.LCOrange[5] = TriState::Checked;
  g.PalkFlexEnabled = true;
  g.SerialEnable = true;
  g.SerialBaudIndex = 2;
  g.SerialDataBits = 1;
  g.SerialParity = 3;
  g.SerialStop = 1;
  return g;
}

}  // namespace vorn::test
