#pragma once
// The one writer of the program's messages on standard error.

#include "platform/problem.h"

#include <QString>
#include <cstdio>

namespace kelvaron::cli {

/// Writes "kelvaron-cli: TEXT" lines to a stream (not owned). Control
/// characters are escaped ("\x1b") and the bytes of a file name that are not
/// UTF-8 go out as they are, as in every text the program prints.
class Messages {
 public:
  explicit Messages(std::FILE* err) : m_err(err) {}
  void say(const QString& text) const;
  void note(const QString& text) const { say(QStringLiteral("note: ") + text); }
  void problem(const Problem& p) const { say(p.message()); }
  std::FILE* stream() const { return m_err; }

 private:
  std::FILE* m_err;
};

}  // namespace kelvaron::cli
