#pragma once
// The real assemblies in the shared sample folder and the names each gives
// after the heading line (the folder's README lists them).

#include <QByteArrayList>

namespace kelvaron::testing {

struct RealSample {
  const char* file;
  QByteArrayList names;
};

inline const RealSample kRealSamples[] = {
    {"control.asm", {"CONTROL_SHROUD", "CONTROL_KNOB"}},
    {"boom_box_head.asm",
     {"PCB_EQ_", "BOOM_BOX_SKEL", "ECAD", "SPEAKER_RIGHT_", "SPEAKER_LEFT_", "CASSETTE", "POWER_SUPPLY", "TOP", "FRONT",
      "BACK", "CD_PLAYER1", "HANDLE", "ANTENNA", "BOOM_BOX", "EDR"}},
    {"top_head.asm", {"TOP1_TOP1"}},
    {"top_sections.asm", {"48", "50", "52", "58", "-"}},  // what the plain marker scan finds there
    {"top_15.asm.1", {}},                                 // binary formats: no records the scan knows
    {"fridge.asm.4", {}},
    {"baseplate.asm.2", {}},
    {"asm0001_pince.asm.21", {}},
};

}  // namespace kelvaron::testing
