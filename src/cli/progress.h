#pragma once
// The progress bar on standard error, redrawn in place.

#include <QElapsedTimer>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kelvaron::cli {

class ProgressBar {
 public:
  /// Draws on `err` only when `enabled` (standard error is a terminal).
  ProgressBar(std::FILE* err, bool enabled);

  /// During the search: `found` files so far.
  void searching(std::int64_t found);
  /// During the analyses: `done` of `total` files.
  void analysing(std::int64_t done, std::int64_t total);
  /// Removes the bar, so other text starts on a clean line.
  void clear();

 private:
  bool due();
  void draw(const std::string& line);

  std::FILE* m_err;
  bool m_enabled;
  bool m_shown = false;
  QElapsedTimer m_sinceDraw;
  QElapsedTimer m_sinceStart;
  std::int64_t m_analyseStartMs = -1;
};

/// The bar's line for `done` of `total` files after `seconds` of analysing,
/// such as "[#####     ]  50% 5/10 files, 2.0 files/s, 0:03 left".
std::string progressLine(std::int64_t done, std::int64_t total, double seconds);

}  // namespace kelvaron::cli
