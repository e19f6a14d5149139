#pragma once
// The one error the folder finder raises: a number with a fixed source and
// description per member, as its holders expect them.

#include <QString>
#include <exception>
#include <string>

namespace kelvaron {

/// A failure of a cFindFile member. Every failure inside a member, whatever
/// its cause, leaves the member as this error with number 9999 and the
/// member's own source and description, for example
/// (9999, "cFindFile:sStartSearch Method", "Fehler bei sStartSearch").
class FindFileError : public std::exception {
 public:
  FindFileError(int number, QString source, QString description)
      : m_number(number),
        m_source(std::move(source)),
        m_description(std::move(description)),
        m_what(m_description.toStdString()) {}

  int number() const noexcept { return m_number; }
  const QString& source() const noexcept { return m_source; }
  const QString& description() const noexcept { return m_description; }
  /// The description, UTF-8.
  const char* what() const noexcept override { return m_what.c_str(); }

 private:
  int m_number;
  QString m_source;
  QString m_description;
  std::string m_what;
};

}  // namespace kelvaron
