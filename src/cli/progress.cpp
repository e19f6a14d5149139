#include "cli/progress.h"

#include <algorithm>
#include <cinttypes>

namespace kelvaron::cli {

namespace {
constexpr qint64 kRedrawMs = 100;  // at most about ten redraws a second
constexpr int kBarWidth = 24;
}  // namespace

std::string progressLine(std::int64_t done, std::int64_t total, double seconds) {
  const double share = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
  const int filled = std::clamp(static_cast<int>(share * kBarWidth), 0, kBarWidth);
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "]";
  char text[160];
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  std::snprintf(text, sizeof text, " %3d%% %" PRId64 "/%" PRId64 " files, %.1f files/s", static_cast<int>(share * 100),
                done, total, rate);
  line += text;
  if (rate > 0 && done < total) {
    const auto left = static_cast<std::int64_t>(static_cast<double>(total - done) / rate + 0.5);
    std::snprintf(text, sizeof text, ", %" PRId64 ":%02d left", left / 60, static_cast<int>(left % 60));
    line += text;
  }
  return line;
}

ProgressBar::ProgressBar(std::FILE* err, bool enabled) : m_err(err), m_enabled(enabled) { m_sinceStart.start(); }

bool ProgressBar::due() {
  if (!m_enabled) return false;
  if (m_sinceDraw.isValid() && m_sinceDraw.elapsed() < kRedrawMs) return false;
  m_sinceDraw.start();
  return true;
}

void ProgressBar::draw(const std::string& line) {
  // Carriage return, the line, then erase whatever a longer line left.
  std::fprintf(m_err, "\r%s\033[K", line.c_str());
  std::fflush(m_err);
  m_shown = true;
}

void ProgressBar::searching(std::int64_t found) {
  if (!due()) return;
  draw("searching... " + std::to_string(found) + " files found");
}

void ProgressBar::analysing(std::int64_t done, std::int64_t total) {
  if (!m_enabled) return;
  if (m_analyseStartMs < 0) m_analyseStartMs = m_sinceStart.elapsed();
  if (!due()) return;
  const double seconds = static_cast<double>(m_sinceStart.elapsed() - m_analyseStartMs) / 1000.0;
  draw(progressLine(done, total, seconds));
}

void ProgressBar::clear() {
  if (!m_shown) return;
  std::fputs("\r\033[K", m_err);
  std::fflush(m_err);
  m_shown = false;
}

}  // namespace kelvaron::cli
