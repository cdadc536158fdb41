// Device library reader: any .def text, read at start-up as the standard library, then every
// device it names applied at a pin chosen by the input.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "FuzzSupport.h"
#include "files/DeviceLibrary.h"

namespace {

// One private folder per process holding the library under its standard name.
struct LibraryDir {
  LibraryDir() {
    char templ[] = "/tmp/vorn-fuzz-def-XXXXXX";
    VORN_FUZZ_CHECK(mkdtemp(templ) != nullptr);
    path = templ;
  }
  ~LibraryDir() { std::filesystem::remove_all(path); }
  std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const LibraryDir dir;
  const std::string path = dir.path + "/" + vorn::kStandardDeviceFile;
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    VORN_FUZZ_CHECK(f != nullptr);
    VORN_FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
    std::fclose(f);
  }
  vorn::fuzz::SilentPrompter prompter;
  vorn::DeviceLibrary library;
  library.LoadAtStart(dir.path, {}, prompter);
  VORN_FUZZ_CHECK(library.Names.size() == library.DevDefFiles.size());

  const int pin = size > 0 ? data[0] % vorn::kPinsInUse : 0;
  // Bounded so a library of many names does not turn one input into thousands of reads.
  const size_t tries = library.Names.size() < 8 ? library.Names.size() : 8;
  for (size_t i = 0; i < tries; ++i) {
    vorn::ConfigModel model;
    model.CurPin = pin;
    library.Preload(model, static_cast<int>(i), library.Names[i], prompter);
  }
  return 0;
}
