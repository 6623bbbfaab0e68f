// A progress bar on standard error while it is a terminal, and nothing at
// all otherwise (output into a file or a pipe stays free of it). It is
// redrawn at most ten times a second and removed again by Finish() (or the
// destructor), so that the summary line that follows stands alone.
#ifndef VEVERAVE_TOOLS_VV_PROGRESS_H_
#define VEVERAVE_TOOLS_VV_PROGRESS_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vv::tools {

class ProgressBar {
 public:
  // label: what is going on ("Importing PARTS"); unit: what count() counts
  // ("rows").
  ProgressBar(std::string label, std::string unit);
  ~ProgressBar() { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // done of total (total 0: unknown, no bar), count units so far.
  void Update(uint64_t done, uint64_t total, uint64_t count);
  void Finish();

  // The line as it is drawn: "Importing PARTS [#####     ]  50%  2500 rows".
  static std::string Line(const std::string& label, const std::string& unit, uint64_t done,
                          uint64_t total, uint64_t count);

 private:
  std::string label_;
  std::string unit_;
  bool enabled_;
  bool drawn_ = false;
  std::size_t width_ = 0;  // of the line drawn last
  uint64_t lastDraw_ = 0;
};

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_PROGRESS_H_
