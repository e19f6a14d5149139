#pragma once
// What the window tells a user about one analysed file: a status line that
// names the file in plain words, and the reader's own detail apart from it.

#include "scan/filescan.h"

#include <QString>

namespace kelvaron {

/// The window's word on one file.
struct FileVerdict {
  enum class Kind {
    Fine,        ///< read as expected
    Incomplete,  ///< read, but the reader has notes: the list may lack parts
    Damaged,     ///< a known layout that could not be read: names from the plain marker search
    Empty,       ///< a file of no bytes
    NoParts,     ///< no known layout and no parts: not an assembly, or damaged beyond recognition
    NotRead,     ///< not an assembly by name, or unreadable: nothing was listed
    Failed,      ///< the file was listed, but its report could not be written
  };
  Kind kind = Kind::Fine;
  QString status;   ///< one line naming the file ("file saved" when all is well)
  QString details;  ///< the reader's notes and reasons, for a details line; may be empty
  /// The file itself is at fault (a summary lists it).
  bool bad() const { return kind != Kind::Fine && kind != Kind::Failed; }
};

/// The verdict on `outcome` with its `analysis`. Examples of the status:
/// "file saved", "/p/top.asm.3 is empty", "cannot read /p/top.asm.3: Permission
/// denied". Asks the file's size only of a file in which nothing was found.
FileVerdict fileVerdict(const FileOutcome& outcome, const AssemblyAnalysis& analysis);

}  // namespace kelvaron
