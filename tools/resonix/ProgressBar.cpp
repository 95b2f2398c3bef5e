#include "tools/resonix/ProgressBar.h"

ProgressBar::ProgressBar(std::ostream& out, bool enabled, std::string label, int64_t total)
    : out(out), enabled(enabled), label(std::move(label)), total(total) {}

ProgressBar::~ProgressBar() {
  // A bar left mid-line would run into the next message.
  if (enabled && shown >= 0 && !finished) out << '\n' << std::flush;
}

void ProgressBar::update(int64_t done) {
  if (!enabled) return;
  const int percent = total > 0 ? static_cast<int>(done >= total ? 100 : done * 100 / total) : 100;
  if (percent == shown) return;
  shown = percent;
  constexpr int width = 40;
  const int filled = percent * width / 100;
  out << '\r' << label << " [" << std::string(filled, '#') << std::string(width - filled, ' ') << "] "
      << percent << "%" << std::flush;
}

void ProgressBar::finish() {
  if (!enabled || finished) return;
  update(total);
  out << '\n' << std::flush;
  finished = true;
}
