#include "analysis/componentscan.h"


#include <algorithm>
#if defined(__SSE2__)
#include <immintrin.h>
#endif
#include <array>
#include <cstring>
#include <functional>

namespace kelvaron {

namespace {

constexpr std::string_view kRecordMarker = "3 3 ";
constexpr std::string_view kModelTypeMarker = "@model_type";
constexpr std::string_view kTypeMarker = "3 4 ";
constexpr std::string_view kSkippedPrefix = "ASSEMBLY";
constexpr std::size_t kYieldEvery = std::size_t{1} << 20;

// The first possible start of `needle` in [i, last] after the vector loops,
// checked byte by byte.
std::size_t findTail(const char* base, std::size_t i, std::size_t last, std::string_view needle) {
  for (; i <= last; ++i) {
    if (base[i] == needle.front() && std::memcmp(base + i, needle.data(), needle.size()) == 0) return i;
  }
  return std::string_view::npos;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same search 32 positions at a time, for processors that have AVX2.
__attribute__((target("avx2"))) std::size_t findBytesAvx2(std::string_view hay, std::string_view needle,
                                                          std::size_t i) {
  const std::size_t n = needle.size();
  const char* const base = hay.data();
  const std::size_t last = hay.size() - n;
  const __m256i first = _mm256_set1_epi8(needle.front());
  const __m256i tail = _mm256_set1_epi8(needle.back());
  while (i + 32 <= last + 1) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + i + n - 1));
    auto mask = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, tail))));
    while (mask != 0) {
      const auto bit = static_cast<std::size_t>(__builtin_ctz(mask));
      if (std::memcmp(base + i + bit + 1, needle.data() + 1, n > 2 ? n - 2 : 0) == 0) return i + bit;
      mask &= mask - 1;
    }
    i += 32;
  }
  return findTail(base, i, last, needle);
}

const bool kHaveAvx2 = __builtin_cpu_supports("avx2");
#endif

// 0-based offset of the first `needle` in `hay` at or after `from`, or npos.
// Compares the needle's first and last bytes 16 (or 32) positions at a time
// and checks the full needle only where both agree; markers are short and
// their bytes common in these files (digits and spaces), so a first-byte scan
// would stop too often.
std::size_t findBytes(std::string_view hay, std::string_view needle, std::size_t from) {
  const std::size_t n = needle.size();
  if (n == 0 || from > hay.size() || n > hay.size() - from) return std::string_view::npos;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  if (kHaveAvx2) return findBytesAvx2(hay, needle, from);
#endif
  const char* const base = hay.data();
  const std::size_t last = hay.size() - n;  // last possible start
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i tail = _mm_set1_epi8(needle.back());
  while (i + 16 <= last + 1) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + n - 1));
    auto mask =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, tail))));
    while (mask != 0) {
      const auto bit = static_cast<std::size_t>(__builtin_ctz(mask));
      if (std::memcmp(base + i + bit + 1, needle.data() + 1, n > 2 ? n - 2 : 0) == 0) return i + bit;
      mask &= mask - 1;
    }
    i += 16;
  }
#endif
  return findTail(base, i, last, needle);
}

// findBytes in windows of about kYieldEvery bytes with `yield` asked between
// them, so a stop is honoured inside gigabytes without a marker; a false
// answer sets `stopped` and gives npos.
std::size_t findBytesYielding(std::string_view hay, std::string_view needle, std::size_t from, const YieldHook& yield,
                              bool& stopped) {
  if (!yield) return findBytes(hay, needle, from);
  for (;;) {
    const std::size_t windowEnd = std::min(hay.size(), from + kYieldEvery + needle.size() - 1);
    const std::size_t hit = findBytes(hay.substr(0, windowEnd), needle, from);
    if (hit != std::string_view::npos || windowEnd == hay.size()) return hit;
    from = windowEnd - (needle.size() - 1);
    if (!yield()) {
      stopped = true;
      return std::string_view::npos;
    }
  }
}

// Finds one marker for a sequence of searches whose start never moves back,
// so each byte of the text is examined once per marker however many records
// there are.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view text, std::string_view needle, const YieldHook& yield, bool& stopped)
      : m_text(text), m_needle(needle), m_yield(yield), m_stopped(stopped) {}

  std::size_t next(std::size_t from) {
    if (m_searched && from >= m_from && (m_hit == std::string_view::npos || m_hit >= from)) return m_hit;
    m_hit = findBytesYielding(m_text, m_needle, from, m_yield, m_stopped);
    m_from = from;
    m_searched = !m_stopped;
    return m_hit;
  }

 private:
  std::string_view m_text;
  std::string_view m_needle;
  const YieldHook& m_yield;
  bool& m_stopped;
  std::size_t m_from = 0;
  std::size_t m_hit = std::string_view::npos;
  bool m_searched = false;
};

enum class ByteKind : unsigned char { Drop, Keep, End };

constexpr auto kByteKinds = [] {
  std::array<ByteKind, 256> kinds{};
  for (int b = 0; b < 256; ++b) {
    const bool keep = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' ||
                      b == '-' || b == 252 || b == 246 || b == 228 || b == 220 || b == 214 || b == 196;
    kinds[static_cast<std::size_t>(b)] = keep ? ByteKind::Keep : ByteKind::Drop;
  }
  kinds[' '] = kinds['\r'] = kinds['\n'] = ByteKind::End;
  return kinds;
}();

// Appends the name's kept bytes to `name`, up to the first space, CR or LF
// before `end`. A name may run over gigabytes of dropped bytes, so `yield` is
// asked every kYieldEvery bytes; false when it asked to stop.
bool cutName(std::string_view text, std::size_t begin, std::size_t end, std::string& name, const YieldHook& yield) {
  name.clear();
  for (std::size_t i = begin; i < end;) {
    const std::size_t stretchEnd = yield ? std::min(end, i + kYieldEvery) : end;
    for (; i < stretchEnd; ++i) {
      const char b = text[i];
      const ByteKind kind = kByteKinds[static_cast<unsigned char>(b)];
      if (kind == ByteKind::End) return true;
      if (kind == ByteKind::Keep) name.push_back(b);
    }
    if (i < end && !yield()) return false;
  }
  return true;
}

}  // namespace

bool scanComponents(std::string_view bytes, const ComponentSink& sink, const YieldHook& yield) {
  bool stopped = false;
  ForwardFinder records(bytes, kRecordMarker, yield, stopped);
  ForwardFinder modelTypes(bytes, kModelTypeMarker, yield, stopped);
  ForwardFinder types(bytes, kTypeMarker, yield, stopped);
  std::string name;
  std::size_t searchFrom = 0;
  std::size_t nextYield = kYieldEvery;
  for (;;) {
    const std::size_t marker = records.next(searchFrom);
    if (marker == std::string_view::npos) return !stopped;
    const std::size_t nameBegin = marker + kRecordMarker.size();
    // The name is bounded by the next model-type declaration, else by the next
    // type record, else by the end of the file (0-based exclusive end).
    std::size_t end = modelTypes.next(nameBegin);
    if (end == std::string_view::npos && !stopped) end = types.next(nameBegin);
    if (stopped) return false;
    if (end == std::string_view::npos) end = bytes.size();
    if (!cutName(bytes, nameBegin, end, name, yield)) return false;
    if (!std::string_view(name).starts_with(kSkippedPrefix)) {
      const ComponentView view{name, static_cast<std::int64_t>(nameBegin) + 1, static_cast<std::int64_t>(end),
                               NameEncoding::Windows1252};
      if (!sink(view)) return false;
    }
    searchFrom = nameBegin;
    if (yield && searchFrom >= nextYield) {
      nextYield = searchFrom + kYieldEvery;
      if (!yield()) return false;
    }
  }
}

}  // namespace kelvaron
