#include "reader/container.h"

namespace kelvaron::reader {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

bool allDigits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

QString writerFromBanner(std::string_view line) {
  const std::size_t lf = line.find('\n');
  if (lf != std::string_view::npos) line = line.substr(0, lf);
  bool creo = false;
  if (line.starts_with("#Creo  TM  ")) {
    creo = true;
  } else if (!line.starts_with("#Pro/ENGINEER  TM  ")) {
    return {};
  }
  std::string_view rest = line.substr(line.find("TM  ") + 4);
  const std::size_t copyright = rest.find("  (c)");
  const std::string_view version = trimmed(rest.substr(0, copyright));
  if (version.empty()) return {};
  QString writer = QString::fromLatin1(version.data(), static_cast<qsizetype>(version.size()));
  if (creo && !version.starts_with("Creo")) writer.prepend(QStringLiteral("Creo "));
  if (copyright == std::string_view::npos) return writer;
  // The tail after the copyright text is a build code ("M050", "9.0.0.0"),
  // except in Release 14-18 where it is the build week ("9547"), no code.
  const std::string_view after = trimmed(rest.substr(copyright));
  const std::size_t space = after.find_last_of(' ');
  const std::string_view tail = space == std::string_view::npos ? std::string_view{} : after.substr(space + 1);
  if (!tail.empty() && !(tail.size() == 4 && allDigits(tail)))
    writer += QStringLiteral(" (") + QString::fromLatin1(tail.data(), static_cast<qsizetype>(tail.size())) + u')';
  return writer;
}

}  // namespace kelvaron::reader
