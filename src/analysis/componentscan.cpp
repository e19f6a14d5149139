#include "analysis/componentscan.h"

#include "platform/nativefile.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace kelvaron {

namespace {

constexpr std::string_view kRecordMarker = "3 3 ";
constexpr std::string_view kModelTypeMarker = "@model_type";
constexpr std::string_view kTypeMarker = "3 4 ";
constexpr std::string_view kSkippedPrefix = "ASSEMBLY";
constexpr std::size_t kYieldEvery = std::size_t{1} << 20;

// 0-based offset of the first `needle` in `hay` at or after `from`, or npos.
std::size_t findBytes(std::string_view hay, std::string_view needle, std::size_t from) {
  if (from > hay.size() || needle.size() > hay.size() - from) return std::string_view::npos;
#if defined(__GLIBC__) || defined(__APPLE__) || defined(__FreeBSD__)
  const void* hit = ::memmem(hay.data() + from, hay.size() - from, needle.data(), needle.size());
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - hay.data()) : std::string_view::npos;
#else
  const auto it = std::search(hay.begin() + from, hay.end(),
                              std::boyer_moore_horspool_searcher(needle.begin(), needle.end()));
  return it == hay.end() ? std::string_view::npos : static_cast<std::size_t>(it - hay.begin());
#endif
}

// Finds one marker for a sequence of searches whose start never moves back,
// so each byte of the text is examined once per marker however many records
// there are.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view text, std::string_view needle) : m_text(text), m_needle(needle) {}

  std::size_t next(std::size_t from) {
    if (m_searched && from >= m_from && (m_hit == std::string_view::npos || m_hit >= from)) return m_hit;
    m_hit = findBytes(m_text, m_needle, from);
    m_from = from;
    m_searched = true;
    return m_hit;
  }

 private:
  std::string_view m_text;
  std::string_view m_needle;
  std::size_t m_from = 0;
  std::size_t m_hit = std::string_view::npos;
  bool m_searched = false;
};

enum class ByteKind : unsigned char { Drop, Keep, End };

constexpr auto kByteKinds = [] {
  std::array<ByteKind, 256> kinds{};
  for (int b = 0; b < 256; ++b) {
    const bool keep = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                      b == '_' || b == '-' || b == 252 || b == 246 || b == 228 || b == 220 || b == 214 ||
                      b == 196;
    kinds[static_cast<std::size_t>(b)] = keep ? ByteKind::Keep : ByteKind::Drop;
  }
  kinds[' '] = kinds['\r'] = kinds['\n'] = ByteKind::End;
  return kinds;
}();

QByteArray cutName(std::string_view text, std::size_t begin, std::size_t end) {
  QByteArray name;
  for (std::size_t i = begin; i < end; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    const ByteKind kind = kByteKinds[b];
    if (kind == ByteKind::End) break;
    if (kind == ByteKind::Keep) name.append(static_cast<char>(b));
  }
  return name;
}

}  // namespace

std::vector<Component> scanComponents(std::string_view bytes, const YieldHook& yield, bool* stopped) {
  if (stopped) *stopped = false;
  std::vector<Component> found;
  ForwardFinder records(bytes, kRecordMarker);
  ForwardFinder modelTypes(bytes, kModelTypeMarker);
  ForwardFinder types(bytes, kTypeMarker);
  std::size_t searchFrom = 0;
  std::size_t nextYield = kYieldEvery;
  for (;;) {
    const std::size_t marker = records.next(searchFrom);
    if (marker == std::string_view::npos) break;
    const std::size_t nameBegin = marker + kRecordMarker.size();
    // The name is bounded by the next model-type declaration, else by the next
    // type record, else by the end of the file (0-based exclusive end).
    std::size_t end = modelTypes.next(nameBegin);
    if (end == std::string_view::npos) end = types.next(nameBegin);
    if (end == std::string_view::npos) end = bytes.size();
    QByteArray name = cutName(bytes, nameBegin, end);
    if (!name.startsWith(QByteArrayView(kSkippedPrefix.data(), kSkippedPrefix.size()))) {
      found.push_back(Component{std::move(name), static_cast<std::int64_t>(nameBegin) + 1,
                                static_cast<std::int64_t>(end)});
    }
    searchFrom = nameBegin;
    if (yield && searchFrom >= nextYield) {
      nextYield = searchFrom + kYieldEvery;
      if (!yield()) {
        if (stopped) *stopped = true;
        break;
      }
    }
  }
  return found;
}

std::int64_t SearchFileForText(const QString& sFile, std::string_view sText, std::int64_t lngStart,
                               const YieldHook& yield) {
  if (sText.empty()) return 0;
  platform::NativeFile file;
  if (!file.open(sFile)) return 0;
  constexpr std::int64_t kBlock = 4096;
  const std::int64_t start = lngStart > 1 ? lngStart - 1 : 0;  // 0-based
  if (start >= file.size() || !file.seek(start)) return 0;
  const std::size_t carry = sText.size() - 1;
  std::string buffer;
  buffer.reserve(static_cast<std::size_t>(kBlock) + carry);
  std::int64_t bufferStart = start;  // file offset of buffer[0]
  char block[kBlock];
  for (;;) {
    const std::int64_t n = file.read(block, kBlock);
    if (n <= 0) return 0;
    buffer.append(block, static_cast<std::size_t>(n));
    const std::size_t hit = findBytes(buffer, sText, 0);
    if (hit != std::string_view::npos) return bufferStart + static_cast<std::int64_t>(hit) + 1;
    if (yield && !yield()) return 0;
    // Keep the bytes that could begin an occurrence straddling the next block.
    if (buffer.size() > carry) {
      const std::size_t drop = buffer.size() - carry;
      buffer.erase(0, drop);
      bufferStart += static_cast<std::int64_t>(drop);
    }
  }
}

}  // namespace kelvaron
