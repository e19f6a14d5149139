#pragma once
// The real assemblies in the shared sample folder and the names each gives
// after the heading line (the folder's README lists them), in UTF-8.

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
    {"top_sections.asm", {"48", "50", "52", "58", "-"}},  // no header: what the plain marker scan finds there
    // Binary formats: the format reader's names as stored, once each.
    {"top_15.asm.1", {"TOP_5"}},
    {"fridge.asm.4", {"FRIDGE_BODY_R1", "DOOR_R1", "DOOR_INTERIOR", "DOOR_INTERIOR_RAIL", "HINGE_TOP"}},
    {"baseplate.asm.2", {"BASEPLATE", "ROUNDBOLT", "SMALLNUT"}},
    {"asm0001_pince.asm.21",
     {"top base", "servo", "servo r", "rod1", "rod2", "grip right", "GRIP",
      "MAINTIEN_PI\xC3\x88"
      "CE_V3",
      "POT_DE_FLEUR"}},
};

}  // namespace kelvaron::testing
