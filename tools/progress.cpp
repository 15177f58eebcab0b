#include "tools/progress.h"

#include <algorithm>
#include <cstdio>

#include "tools/tool_os.h"

namespace dta::tools {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
constexpr int kBarWidth = 20;

std::string Duration(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

std::string HumanBytes(double bytes) {
    static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
    size_t unit = 0;
    while (bytes >= 1000 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        bytes /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
    return text;
}

Progress::Progress(std::ostream& err, bool enabled, uint64_t totalBytes, uint64_t totalEntries,
                   std::chrono::milliseconds quietStart)
    : err_(err),
      enabled_(enabled),
      quietStart_(quietStart),
      totalBytes_(totalBytes),
      totalEntries_(totalEntries),
      start_(Clock::now()),
      lastDraw_(start_) {
    if (enabled_) columns_ = os::TerminalColumns();
}

void Progress::Add(uint64_t bytes, uint64_t entries) {
    bytes_ += bytes;
    entries_ += entries;
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < quietStart_ || (shownWidth_ > 0 && now - lastDraw_ < kRedrawEvery)) return;
    lastDraw_ = now;
    Draw();
}

void Progress::Draw() {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = elapsed > 0 ? bytes_ / elapsed : 0;
    const double fraction = totalBytes_ > 0 ? std::min(1.0, double(bytes_) / totalBytes_) : 0;
    std::string bar(kBarWidth, ' ');
    for (int i = 0; i < static_cast<int>(fraction * kBarWidth); ++i) bar[i] = '#';
    const std::string counts = HumanBytes(bytes_) + " of " + HumanBytes(totalBytes_) + ", " +
                               std::to_string(entries_) + " of " + std::to_string(totalEntries_) + " entries";
    const std::string speed = ", " + HumanBytes(rate) + "/s";
    const std::string left =
        rate > 0 && totalBytes_ > bytes_ ? ", " + Duration((totalBytes_ - bytes_) / rate) + " left" : "";
    // Widest first; the first that fits is shown.
    const size_t room = columns_ > 1 ? columns_ - 1 : 1;
    std::string line;
    for (const std::string& candidate :
         {"[" + bar + "] " + counts + speed + left, "[" + bar + "] " + counts + speed,
          "[" + bar + "] " + counts, counts}) {
        line = candidate;
        if (line.size() <= room) break;
    }
    if (line.size() > room) line.resize(room);
    const size_t width = line.size();
    if (width < shownWidth_) line += std::string(shownWidth_ - width, ' ');
    err_ << '\r' << line << std::flush;
    shownWidth_ = width;
    os::SetProgressLineShown(true);
}

void Progress::Clear() {
    if (shownWidth_ == 0) return;
    err_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
    shownWidth_ = 0;
    os::SetProgressLineShown(false);
}

}  // namespace dta::tools
