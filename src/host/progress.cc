#include "host/progress.h"

#include <cstdio>
#include <cstdlib>

namespace vv::host {
namespace {

ProgressRecorder* g_recorder = nullptr;
TerminalProgress* g_terminal = nullptr;

int16_t VV_CALL RecorderCallback(const char* text, int32_t kind) {
  return g_recorder != nullptr ? g_recorder->Record(text, kind) : 0;
}

int16_t VV_CALL TerminalCallback(const char* text, int32_t kind) {
  return g_terminal != nullptr ? g_terminal->Show(text, kind) : 0;
}

bool ParseNumber(std::string_view text, int64_t* out) {
  if (text.empty() || text.size() > 18) return false;
  int64_t v = 0;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  *out = text[0] == '-' ? -v : v;
  return true;
}

}  // namespace

bool ParseProgressCount(std::string_view text, int64_t* done, int64_t* total) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  return ParseNumber(text.substr(0, comma), done) && ParseNumber(text.substr(comma + 1), total);
}

ProgressRecorder::ProgressRecorder() {
  if (g_recorder != nullptr) std::abort();
  g_recorder = this;
}

ProgressRecorder::~ProgressRecorder() {
  g_recorder = nullptr;
}

VvProgressFn ProgressRecorder::callback() const {
  return &RecorderCallback;
}

std::vector<std::string> ProgressRecorder::Texts(int32_t kind) const {
  std::vector<std::string> texts;
  for (const Call& call : calls_) {
    if (call.kind == kind) texts.push_back(call.text);
  }
  return texts;
}

void ProgressRecorder::StopAt(std::string text, int16_t answer) {
  stopText_ = std::move(text);
  stopAnswer_ = answer;
}

void ProgressRecorder::Reset() {
  calls_.clear();
  stopping_ = false;
}

int16_t ProgressRecorder::Record(const char* text, int32_t kind) {
  calls_.push_back(Call{text != nullptr ? text : "", kind});
  if (stopAnswer_ != 0 && calls_.back().text == stopText_) stopping_ = true;
  return stopping_ ? stopAnswer_ : 0;
}

TerminalProgress::TerminalProgress(Writer writer, int barWidth)
    : writer_(std::move(writer)), barWidth_(barWidth < 1 ? 1 : barWidth) {
  if (g_terminal != nullptr) std::abort();
  if (!writer_) {
    writer_ = [](std::string_view s) {
      std::fwrite(s.data(), 1, s.size(), stdout);
      std::fflush(stdout);
    };
  }
  g_terminal = this;
}

TerminalProgress::~TerminalProgress() {
  Finish();
  g_terminal = nullptr;
}

VvProgressFn TerminalProgress::callback() const {
  return &TerminalCallback;
}

void TerminalProgress::Finish() {
  if (barOpen_) writer_("\n");
  barOpen_ = false;
  lastColumns_ = -1;
  lastPercent_ = -1;
}

void TerminalProgress::Line(std::string_view prefix, std::string_view text) {
  Finish();
  lastDone_ = -1;
  lastTotal_ = -1;
  std::string line(prefix);
  line += text;
  line += '\n';
  writer_(line);
}

void TerminalProgress::Bar(int64_t done, int64_t total) {
  // The same count again (the end is sent twice) changes nothing.
  if (done == lastDone_ && total == lastTotal_) return;
  lastDone_ = done;
  lastTotal_ = total;
  const int64_t shown = total <= 0 ? 1 : done < 0 ? 0 : done > total ? total : done;
  const int64_t whole = total <= 0 ? 1 : total;
  const int columns = static_cast<int>(shown * barWidth_ / whole);
  const int percent = static_cast<int>(shown * 100 / whole);
  const bool complete = shown == whole;
  if (barOpen_ && columns == lastColumns_ && percent == lastPercent_ && !complete) return;
  lastColumns_ = columns;
  lastPercent_ = percent;
  std::string line = "\r[";
  line.append(static_cast<std::size_t>(columns), '#');
  line.append(static_cast<std::size_t>(barWidth_ - columns), '.');
  char tail[64];
  std::snprintf(tail, sizeof tail, "] %3d%% %lld/%lld", percent, static_cast<long long>(done),
                static_cast<long long>(total));
  line += tail;
  writer_(line);
  barOpen_ = true;
  if (complete) Finish();
}

int16_t TerminalProgress::Show(const char* text, int32_t kind) {
  const std::string_view t = text != nullptr ? text : "";
  int64_t done = 0;
  int64_t total = 0;
  switch (kind) {
    case VV_PROGRESS_COUNT:
      if (ParseProgressCount(t, &done, &total)) {
        Bar(done, total);
      } else {
        Line("", t);
      }
      break;
    case VV_PROGRESS_WARNING:
      Line("warning: ", t);
      break;
    case VV_PROGRESS_ERROR:
      Line("error: ", t);
      break;
    default:
      Line("", t);
      break;
  }
  return 0;
}

}  // namespace vv::host
