#include "reader/picturesection.h"

#include "reader/lzw.h"

namespace kelvaron::reader {

namespace {

constexpr std::int64_t kMaxPicture = std::int64_t{64} << 20;

int bigEndian16(std::string_view b, std::size_t at) {
  return (static_cast<std::uint8_t>(b[at]) << 8) | static_cast<std::uint8_t>(b[at + 1]);
}

int bigEndian32(std::string_view b, std::size_t at) {
  const std::uint32_t v = (std::uint32_t{static_cast<std::uint8_t>(b[at])} << 24) |
                          (std::uint32_t{static_cast<std::uint8_t>(b[at + 1])} << 16) |
                          (std::uint32_t{static_cast<std::uint8_t>(b[at + 2])} << 8) |
                          static_cast<std::uint8_t>(b[at + 3]);
  return v > 0x7FFFFFFF ? 0 : static_cast<int>(v);
}

// The frame size of a JPEG: the first start-of-frame marker (C0-CF but for
// C4 DHT, C8 and CC DAC) before the scan; 0 x 0 when there is none.
void jpegSize(std::string_view b, PictureInfo& info) {
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (static_cast<std::uint8_t>(b[at]) != 0xFF) return;
    const auto marker = static_cast<std::uint8_t>(b[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a length
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return;
    const int length = bigEndian16(b, at + 2);
    if (length < 2) return;
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      if (length < 7 || at + 9 > b.size()) return;
      info.height = bigEndian16(b, at + 5);
      info.width = bigEndian16(b, at + 7);
      return;
    }
    at += 2 + static_cast<std::size_t>(length);
  }
}

}  // namespace

PictureInfo describePicture(std::string_view bytes, bool compressed) {
  PictureInfo info;
  info.bytes = static_cast<std::int64_t>(bytes.size());
  info.compressed = compressed;
  if (bytes.starts_with("\xFF\xD8")) {
    info.format = QStringLiteral("jpeg");
    jpegSize(bytes, info);
  } else if (bytes.starts_with("\x89PNG\r\n\x1A\n") && bytes.size() >= 24) {
    info.format = QStringLiteral("png");
    info.width = bigEndian32(bytes, 16);
    info.height = bigEndian32(bytes, 20);
  } else {
    info.format = QStringLiteral("unknown");
  }
  return info;
}

bool readPictureSection(const ByteSource& source, const std::vector<TocEntry>& toc, std::string& bytes,
                        PictureInfo& info, QString& why) {
  const TocEntry* entry = findSection(toc, "THMB_IMG_MAIN");
  if (!entry) {
    why = QStringLiteral("no thumbnail section");
    return false;
  }
  if (!readSectionPayload(source, *entry, kMaxPicture, bytes, why)) return false;
  // Whether it was stored compressed: the two bytes after the name line.
  std::string lead;
  const auto payloadAt = entry->offset + static_cast<std::int64_t>(entry->name.size()) + 2;
  const bool compressed = source.read(payloadAt, 2, lead, nullptr) && isLzw(lead);
  info = describePicture(bytes, compressed);
  return true;
}

}  // namespace kelvaron::reader
