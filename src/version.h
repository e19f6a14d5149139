#pragma once
// The program's version, from the project's own (CMakeLists.txt), for every
// place that shows it.

namespace kelvaron {

/// "major.minor", such as "2.1".
inline constexpr char kVersion[] = KELVARON_VERSION;

}  // namespace kelvaron
