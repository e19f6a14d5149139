#pragma once
// The embedded picture's section, THMB_IMG_MAIN: its bytes and what they are.

#include "reader/container.h"
#include "reader/modeldata.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvaron::reader {

/// The format and size of an image: "jpeg" with the size of its first SOFn
/// frame, "png" with the size of its IHDR, else "unknown" and 0 x 0.
PictureInfo describePicture(std::string_view bytes, bool compressed);

/// Reads THMB_IMG_MAIN of `toc` into `bytes` (decoded, at most 64 MB) and
/// describes it. False with `why` when the file has none or it cannot be read.
bool readPictureSection(const ByteSource& source, const std::vector<TocEntry>& toc, std::string& bytes,
                        PictureInfo& info, QString& why);

}  // namespace kelvaron::reader
