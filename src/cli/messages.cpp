#include "cli/messages.h"

#include "platform/shown.h"

namespace kelvaron::cli {

void Messages::say(const QString& text) const {
  const std::string line = "kelvaron-cli: " + platform::shownBytes(text) + '\n';
  std::fwrite(line.data(), 1, line.size(), m_err);
  std::fflush(m_err);
}

}  // namespace kelvaron::cli
