#include "vv/progress.h"

#include <cstdio>

#include "platform/platform.h"

namespace vv::tools {
namespace {

constexpr int kBarWidth = 30;
constexpr uint64_t kRedrawMs = 100;

}  // namespace

ProgressBar::ProgressBar(std::string label, std::string unit)
    : label_(std::move(label)),
      unit_(std::move(unit)),
      enabled_(platform::StandardErrorIsTerminal()) {}

std::string ProgressBar::Line(const std::string& label, const std::string& unit, uint64_t done,
                              uint64_t total, uint64_t count) {
  std::string line = label;
  if (total > 0) {
    const uint64_t part = done >= total ? total : done;
    const int filled = static_cast<int>(part * kBarWidth / total);
    line += " [" + std::string(static_cast<std::size_t>(filled), '#') +
            std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] ";
    const std::string percent = std::to_string(part * 100 / total);
    line += std::string(3 - percent.size(), ' ') + percent + "%";
  }
  return line + "  " + std::to_string(count) + " " + unit;
}

void ProgressBar::Update(uint64_t done, uint64_t total, uint64_t count) {
  if (!enabled_) return;
  const uint64_t now = platform::MonotonicMs();
  if (drawn_ && now - lastDraw_ < kRedrawMs) return;
  lastDraw_ = now;
  drawn_ = true;
  // Blanks cover what a longer line before left; no terminal control codes
  // are needed, so a Windows console shows it the same.
  std::string line = Line(label_, unit_, done, total, count);
  const std::size_t width = line.size();
  if (line.size() < width_) line.append(width_ - line.size(), ' ');
  width_ = width;
  std::fprintf(stderr, "\r%s", line.c_str());
  std::fflush(stderr);
}

void ProgressBar::Finish() {
  if (!drawn_) return;
  drawn_ = false;
  // The line blanked, and the cursor back at its start.
  std::fprintf(stderr, "\r%s\r", std::string(width_, ' ').c_str());
  std::fflush(stderr);
}

}  // namespace vv::tools
