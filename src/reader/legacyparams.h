#pragma once
// The model's data in the legacy text object "#P_OBJECT" (Release 14 to
// Wildfire 4): the user parameters of "user_symbols" and, after the object,
// the material name of "#BasicText".

#include "reader/bytesource.h"
#include "reader/modeldata.h"

#include <cstdint>
#include <string_view>

namespace kelvaron::reader {

struct LegacyModelData {
  bool hasUserSymbols = false;  ///< the object declares "user_symbols" (Release 18 and later)
  std::vector<Parameter> parameters;
  std::optional<QString> material;  ///< "#BasicText" mat_name_ptr, when read and not NULL
  QString writer;                   ///< the banner after the object, when one was read
  QStringList notes;
};

/// Reads the text object that starts at the file offset `pObject` (its
/// "#P_OBJECT" line). With `withBasicText` it reads on past the object to the
/// "#BasicText" block for the material (Release 14-18 text files, which have
/// no table of contents). Reads by blocks; a line over 1 MB or more than 64 MB
/// of text ends the read with a note.
LegacyModelData readLegacyModelData(const ByteSource& source, std::int64_t pObject, bool withBasicText);

/// A double as the legacy text writes it: the IEEE bits in hexadecimal with
/// the trailing zeros left out, or with "R" repeating the last digit to the
/// full 16: "3FF" is 1.0, "3FB99R" is 0x3FB9999999999999. Nothing when malformed.
std::optional<double> legacyDouble(std::string_view text);

}  // namespace kelvaron::reader
