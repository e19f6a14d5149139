#pragma once
// File name matching with the wildcard rules of Windows directory listings, the
// rules users of the CAD system know from its file dialogs.

#include <QStringView>

namespace kelvaron::platform {

/// True when `name` (one file name, no folder part) matches `pattern`.
/// Letter case is ignored. `*` matches any run of characters, none included;
/// `?` matches one character other than a dot, or nothing at the end of the
/// name or before a dot; a `.` followed by `?` or `*` matches a dot or the end
/// of the name. So "*.asm.*" matches "hub.asm", "hub.asm.12" and "HUB.ASM.3",
/// "*.asm.???" matches "top.asm.123" but not "top.asm.1234", and "*.*" matches
/// "readme". Runs in O(pattern length x name length) time.
bool wildcardMatch(QStringView pattern, QStringView name);

}  // namespace kelvaron::platform
