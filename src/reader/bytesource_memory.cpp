#include "reader/bytesource.h"

#include <algorithm>

namespace kelvaron::reader {

bool MemorySource::read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const {
  out.clear();
  const auto size = static_cast<std::int64_t>(m_bytes.size());
  if (offset < 0 || length < 0) {
    if (error) *error = QStringLiteral("negative offset or length");
    return false;
  }
  if (offset >= size) return true;
  const std::int64_t n = std::min(length, size - offset);
  out.assign(m_bytes.data() + offset, static_cast<std::size_t>(n));
  return true;
}

}  // namespace kelvaron::reader
