// Progress callbacks (VvProgressFn of driver.h) for host programs: a
// recorder for tests and a terminal display for the command-line tool.
//
// A VvProgressFn is a plain function without a context argument, so each of
// the two classes has at most one live object at a time (a second one aborts),
// and callback() hands out a function that forwards to it.
#ifndef VEVERAVE_HOST_PROGRESS_H_
#define VEVERAVE_HOST_PROGRESS_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_api.h"
#include "veverave/driver.h"

namespace vv::host {

// A "%ld,%ld" count of kind VV_PROGRESS_COUNT: records done, records in
// total. False when text is not two decimal numbers separated by a comma.
VV_HOST_API bool ParseProgressCount(std::string_view text, int64_t* done, int64_t* total);

// Records every call. Answers 0, or the stop answer for the first call that
// matches the stop text (and every call after it).
class VV_HOST_API ProgressRecorder {
 public:
  struct Call {
    std::string text;
    int32_t kind;
  };

  ProgressRecorder();
  ~ProgressRecorder();
  ProgressRecorder(const ProgressRecorder&) = delete;
  ProgressRecorder& operator=(const ProgressRecorder&) = delete;

  VvProgressFn callback() const;
  const std::vector<Call>& calls() const { return calls_; }
  // The texts of the calls of one kind, in order.
  std::vector<std::string> Texts(int32_t kind) const;
  // Stop the operation: answer `answer` from the first call whose text is
  // text on.
  void StopAt(std::string text, int16_t answer = 1);
  void Reset();

  int16_t Record(const char* text, int32_t kind);

 private:
  std::vector<Call> calls_;
  std::string stopText_;
  int16_t stopAnswer_ = 0;
  bool stopping_ = false;
};

// Shows progress on a terminal: kind 7 titles and kind 0 messages as lines,
// kind 6 as "warning: ", kind 9 as "error: ", and kind 8 counts as a bar
// redrawn in place ("\r[#####.....]  50% 500/1000") whenever its column or
// percentage changes; the bar's line ends when the count reaches the total
// or another line is shown. Answers 0.
class VV_HOST_API TerminalProgress {
 public:
  using Writer = std::function<void(std::string_view)>;
  // Writes to standard output unless a writer is given.
  explicit TerminalProgress(Writer writer = nullptr, int barWidth = 40);
  ~TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  VvProgressFn callback() const;
  // Ends an open bar line.
  void Finish();

  int16_t Show(const char* text, int32_t kind);

 private:
  void Line(std::string_view prefix, std::string_view text);
  void Bar(int64_t done, int64_t total);

  Writer writer_;
  int barWidth_;
  bool barOpen_ = false;
  int lastColumns_ = -1;
  int lastPercent_ = -1;
  int64_t lastDone_ = -1;
  int64_t lastTotal_ = -1;
};

}  // namespace vv::host

#endif  // VEVERAVE_HOST_PROGRESS_H_
