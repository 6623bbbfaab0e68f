// Interposes on the driver's Btrieve gateway for one test: records every call
// and answers with scripted statuses, so no engine is needed.
#ifndef VEVERAVE_TESTS_DRIVER_SUPPORT_BTR_RECORDER_H_
#define VEVERAVE_TESTS_DRIVER_SUPPORT_BTR_RECORDER_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "veverave/btrieve.h"

namespace vv::testing {

struct BtrCallRecord {
  uint16_t op;
  void* posBlock;
  void* dataBuf;
  uint32_t dataLenIn;
  void* keyBuf;
  uint8_t keyLen;
  int8_t keyNum;
  uint8_t* clientId;
};

// One recorder at a time; it interposes while it lives.
class BtrRecorder {
 public:
  BtrRecorder();
  ~BtrRecorder();
  BtrRecorder(const BtrRecorder&) = delete;
  BtrRecorder& operator=(const BtrRecorder&) = delete;

  // Statuses answered in order; once they are used up, `then`.
  void Answer(std::vector<int16_t> statuses, int16_t then = 0);
  // Called for every call after the status is chosen; may change the data
  // length the engine returns and the data buffer.
  std::function<void(const BtrCallRecord&, uint32_t* dataLen)> onCall;

  const std::vector<BtrCallRecord>& calls() const { return calls_; }

 private:
  static int16_t VV_CALL Call(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                              void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId);
  std::vector<BtrCallRecord> calls_;
  std::deque<int16_t> statuses_;
  int16_t then_ = 0;
  BtrCallIdFn previous_ = nullptr;
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_SUPPORT_BTR_RECORDER_H_
