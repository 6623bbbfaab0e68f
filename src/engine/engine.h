// The engine: one lock around the whole state, the Btrieve call decoded and
// dispatched to the operation handlers, and the guard that turns every C++
// exception into a status so that none crosses the call.
//
// The exported functions (BTRCALL, BTRCALLID, ...) use one process-wide
// engine; tests and tools that link the engine directly may make their own,
// with a file system of their choice.
#ifndef VEVERAVE_ENGINE_ENGINE_H_
#define VEVERAVE_ENGINE_ENGINE_H_

#include <cstdint>

#include "engine/engine_state.h"
#include "platform/platform.h"

namespace vv::engine {

class Engine {
 public:
  // fs: the file system to work through; nullptr for the platform's.
  explicit Engine(Options options, FileSystem* fs = nullptr);
  // Aborts every transaction and closes every file.
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The Btrieve call. client_id: 16 bytes, or nullptr for the default client.
  int16_t Call(uint16_t op, void* pos_block, void* data, uint32_t* data_len, void* key,
               uint8_t key_len, int8_t key_number, const uint8_t* client_id);

  // Sets an option (options.h); false when refused.
  bool SetOption(const char* name, const char* value);

  // Counts, for tests that check nothing is left behind.
  std::size_t open_file_count();
  std::size_t client_count();

 private:
  int16_t Dispatch(vv::engine::Call& call);

  platform::Mutex mu_;
  EngineState st_;
};

// The engine of the exported functions, created at first use with the
// options of the environment and never destroyed.
Engine& GlobalEngine();

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_ENGINE_H_
