// The exported entry points of the engine library. Each forwards to the
// process-wide engine, which never lets an exception through.
#include "engine/engine.h"
#include "veverave/engine.h"

// On Windows the .def file names the exports; elsewhere these are the only
// symbols the library makes visible.
#ifdef _WIN32
#define VV_ENGINE_EXPORT
#else
#define VV_ENGINE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

VV_ENGINE_EXPORT int16_t VV_CALL BTRCALLID(uint16_t op, void* posBlock, void* dataBuf,
                                           uint32_t* dataLen, void* keyBuf, uint8_t keyLen,
                                           int8_t keyNum, uint8_t* clientId) {
  return vv::engine::GlobalEngine().Call(op, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum,
                                         clientId);
}

VV_ENGINE_EXPORT int16_t VV_CALL BTRCALL(uint16_t op, void* posBlock, void* dataBuf,
                                         uint32_t* dataLen, void* keyBuf, uint8_t keyLen,
                                         int8_t keyNum) {
  return vv::engine::GlobalEngine().Call(op, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum,
                                         nullptr);
}

VV_ENGINE_EXPORT int16_t VV_CALL BTRCALLBACK(void* /*request*/) {
  return BTR_STATUS_INVALID_OPERATION;
}

VV_ENGINE_EXPORT int VV_CALL vvEngineSetOption(const char* name, const char* value) {
  return vv::engine::GlobalEngine().SetOption(name, value) ? 0 : -1;
}

}  // extern "C"
