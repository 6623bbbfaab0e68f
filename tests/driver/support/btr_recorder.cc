#include "support/btr_recorder.h"

#include <cstdlib>

#include "driver/btrieve/btr_call.h"

namespace vv::testing {
namespace {

BtrRecorder* g_recorder = nullptr;

}  // namespace

BtrRecorder::BtrRecorder() {
  if (g_recorder != nullptr) std::abort();
  g_recorder = this;
  previous_ = driver::BtrCallInterpose(&BtrRecorder::Call);
}

BtrRecorder::~BtrRecorder() {
  driver::BtrCallInterpose(previous_);
  g_recorder = nullptr;
}

void BtrRecorder::Answer(std::vector<int16_t> statuses, int16_t then) {
  statuses_.assign(statuses.begin(), statuses.end());
  then_ = then;
}

int16_t VV_CALL BtrRecorder::Call(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                                  void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId) {
  BtrRecorder* r = g_recorder;
  const BtrCallRecord call{op, posBlock, dataBuf, *dataLen, keyBuf, keyLen, keyNum, clientId};
  r->calls_.push_back(call);
  int16_t status = r->then_;
  if (!r->statuses_.empty()) {
    status = r->statuses_.front();
    r->statuses_.pop_front();
  }
  if (r->onCall) r->onCall(call, dataLen);
  return status;
}

}  // namespace vv::testing
