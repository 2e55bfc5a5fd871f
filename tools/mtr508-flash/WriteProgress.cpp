#include "tools/mtr508-flash/WriteProgress.h"

#include <algorithm>

#include "protocol/WriteFirmware.h"

namespace flash {
namespace {

constexpr int kBarWidth = 24;

std::string Duration(long long seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

WriteProgress::WriteProgress(app::TMainForm& form, std::FILE* stream, bool terminal)
    : form_(form), stream_(stream), terminal_(terminal) {
    form_.ProgressbarWrite.SetPeer(this);
}

WriteProgress::~WriteProgress() {
    form_.ProgressbarWrite.SetPeer(nullptr);
}

void WriteProgress::Changed(toolkit::Control&) {
    // The block bar steps once per block written and goes back to 0 at each page.
    const int position = form_.ProgressbarWrite.Position();
    if (position > lastPosition_) {
        if (blocksDone_ == 0) start_ = SteadyClock::now();
        blocksDone_ += position - lastPosition_;
    }
    lastPosition_ = position;
}

std::string WriteProgress::Text() const {
    if (form_.LabelNameOfHex.Caption() != protocol::kStatusWriting) return {};
    const auto& info = form_.DeviceInfo;
    const long long total = static_cast<long long>(info.PageCount) * info.BlocksPerPage;
    const long long done = std::min(blocksDone_, total);
    const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
    const int filled = static_cast<int>(fraction * kBarWidth);

    std::string line(1, '[');
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kBarWidth - filled), '-');
    line.append("] ");
    char figures[160];
    std::snprintf(figures, sizeof figures, "page %lld/%d block %d/%d %3d%%",
                  static_cast<long long>(form_.ProgressbarReadWrite.Progress()), info.PageCount,
                  form_.ProgressbarWrite.Position(), info.BlocksPerPage, static_cast<int>(fraction * 100));
    line += figures;
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start_).count();
    if (done > 0 && seconds > 0) {
        const double bytesPerSecond = static_cast<double>(done) * info.BlockSize / seconds;
        const double left = static_cast<double>(total - done) * seconds / static_cast<double>(done);
        std::snprintf(figures, sizeof figures, " %.1f KiB/s %s left", bytesPerSecond / 1024,
                      Duration(static_cast<long long>(left + 0.5)).c_str());
        line += figures;
    }
    line += "  " + form_.Label3.Caption();
    return line;
}

void WriteProgress::Update() {
    const auto now = SteadyClock::now();
    const auto every = terminal_ ? std::chrono::milliseconds(100) : std::chrono::milliseconds(1000);
    const bool drawnBefore = terminal_ ? shown_ : drawn_ != SteadyClock::time_point{};
    if (drawnBefore && now - drawn_ < every) return;
    const std::string line = Text();
    if (line.empty()) {
        Clear();
        return;
    }
    drawn_ = now;
    if (terminal_) {
        std::fprintf(stream_, "\r\x1b[K%s", line.c_str());
        shown_ = true;
    } else {
        std::fprintf(stream_, "%s\n", line.c_str());
    }
    std::fflush(stream_);
}

void WriteProgress::Clear() {
    if (!shown_) return;
    std::fprintf(stream_, "\r\x1b[K");
    std::fflush(stream_);
    shown_ = false;
}

}  // namespace flash
