// Table opens through the driver with the structure cache off and on: opens
// and closes a table of 50 fields and 10 indexes by name, through the
// reference host and the embedded engine, and prints opens per second and
// the Btrieve calls each open and close makes.
//
// Usage: open_bench [OPENS [off|on]]
//   OPENS     default 10000
//   off, on   only the run with the cache off or on (for a profiler)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "ddf/dictionary_builder.h"
#include "driver/btrieve/btr_binding.h"
#include "driver/btrieve/btr_call.h"
#include "host/host.h"
#include "platform/platform.h"
#include "veverave/driver.h"

namespace {

constexpr int kFields = 50;
constexpr int kIndexes = 10;
constexpr const char* kTable = "WIDE";

long g_calls = 0;

int16_t VV_CALL Counted(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen, void* keyBuf,
                        uint8_t keyLen, int8_t keyNum, uint8_t* clientId) {
  ++g_calls;
  return vv::driver::mvbtrBtrCallIdBound()(op, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum,
                                           clientId);
}

// 50 fields of the usual kinds; indexes on single fields, on pairs and on
// fields that allow duplicates (so that the record number is appended).
vv::ddf::TableDef WideTable() {
  vv::ddf::TableDef table{kTable, "WIDE.BTR", {}, {}};
  const int32_t types[] = {BTR_TYPE_INTEGER, BTR_TYPE_STRING, BTR_TYPE_DATE, BTR_TYPE_DECIMAL,
                           BTR_TYPE_FLOAT};
  const uint16_t sizes[] = {4, 20, 4, 8, 8};
  for (int i = 0; i < kFields; ++i) {
    vv::ddf::FieldDef field;
    field.name = "F" + std::to_string(i + 1);
    field.type = types[i % 5];
    field.size = sizes[i % 5];
    field.decimals = field.type == BTR_TYPE_DECIMAL ? 2 : 0;
    table.fields.push_back(field);
  }
  for (int k = 0; k < kIndexes; ++k) {
    vv::ddf::IndexDef index;
    index.segments.push_back({"F" + std::to_string(5 * k + 1)});
    if (k % 3 == 1) index.segments.push_back({"F" + std::to_string(5 * k + 2)});
    if (k % 2 == 1) index.flags = BTR_KEY_DUPLICATES;
    table.indexes.push_back(index);
  }
  return table;
}

bool Settings(const std::string& dir, bool cache) {
  return vv::platform::WriteStringToFile(
      dir + vv::platform::kPathSeparator + "VEVERAVE.INT",
      std::string("USE_CACHE ") + (cache ? "1" : "0") + "\nAUTO_LOGOUT 0\n");
}

// Opens and closes the table `opens` times after one open that logs in (and
// writes the cache); prints the figures. False when an open fails.
bool Run(vv::host::Host& host, const std::string& dir, bool cache, int opens) {
  btrDeinitialize();
  if (!Settings(dir, cache)) return false;
  int32_t handle = host.FreeHandle();
  if (btrFileOpen(kTable, 0, &handle) != 0 || btrFileClose(handle, 0) != 0) {
    std::fprintf(stderr, "open_bench: open failed: %d %s\n", host.error(),
                 host.error_text().c_str());
    return false;
  }
  g_calls = 0;
  const uint64_t start = vv::platform::MonotonicMs();
  const std::clock_t cpuStart = std::clock();
  for (int i = 0; i < opens; ++i) {
    handle = host.FreeHandle();
    if (btrFileOpen(kTable, 0, &handle) != 0 || btrFileClose(handle, 0) != 0) {
      std::fprintf(stderr, "open_bench: open %d failed: %d %s\n", i, host.error(),
                   host.error_text().c_str());
      return false;
    }
  }
  const uint64_t ms = vv::platform::MonotonicMs() - start;
  const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  std::printf(
      "cache %-3s  %6d opens %6llu ms %9.0f opens/s  cpu %9.0f opens/s  %5.1f Btrieve calls per "
      "open and close\n",
      cache ? "on" : "off", opens, static_cast<unsigned long long>(ms),
      ms == 0 ? 0.0 : opens * 1000.0 / static_cast<double>(ms),
      cpuMs <= 0 ? 0.0 : opens * 1000.0 / cpuMs, static_cast<double>(g_calls) / opens);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int opens = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::string only = argc > 2 ? argv[2] : "";
  const std::optional<std::string> dir = vv::platform::MakeTempDirectory("vvopen");
  if (!dir || opens <= 0) return 2;
  int result = 1;
  {
    vv::host::Host host;
    host.set_data_path(*dir);
    std::string error;
    std::unique_ptr<vv::ddf::DictionaryBuilder> dict =
        vv::ddf::DictionaryBuilder::Create(*dir, &error);
    if (dict && !dict->AddTable(WideTable())) error = dict->error();
    dict.reset();
    // A cache is valid only when it is newer than the dictionary.
    for (const char* name : {"FILE.DDF", "FIELD.DDF", "INDEX.DDF"}) {
      const std::filesystem::path path = *dir + vv::platform::kPathSeparator + name;
      std::filesystem::last_write_time(
          path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
    }
    if (error.empty() && mvDLLSetLoaderGlobals(host.services()) == 0) {
      vv::driver::BtrCallInterpose(&Counted);
      std::printf("open_bench: table of %d fields and %d indexes\n", kFields, kIndexes);
      if ((only == "on" || Run(host, *dir, false, opens)) &&
          (only == "off" || Run(host, *dir, true, opens))) {
        result = 0;
      }
      btrDeinitialize();
      vv::driver::BtrCallInterpose(nullptr);
    } else {
      std::fprintf(stderr, "open_bench: %s\n", error.c_str());
    }
  }
  vv::platform::RemoveTree(*dir);
  return result;
}
