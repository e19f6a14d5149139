#pragma once
// The one error value of the program: what went wrong, with which path, and
// why. The core returns them; the front ends turn them into messages and an
// exit status.

#include <QString>

namespace kelvaron {

struct Problem {
  enum class Kind {
    Usage,         ///< the command line asks for something that cannot be done
    CannotSearch,  ///< a folder cannot be listed
    CannotRead,    ///< a file cannot be read, or not as what it should be
    CannotWrite,   ///< an output or report cannot be written
    Incomplete,    ///< an answer lacks something it needed (missing, unreadable, cyclic files)
  };
  Kind kind = Kind::CannotRead;
  QString path;    ///< the file or folder concerned, program form; may be empty
  QString reason;  ///< why, in words ("Permission denied", "no such folder")

  /// "cannot search PATH: reason", "cannot read PATH: reason", "cannot write
  /// PATH: reason" (an empty PATH as ""); the reason alone for the other
  /// kinds, or "PATH: reason".
  QString message() const;
};

}  // namespace kelvaron
