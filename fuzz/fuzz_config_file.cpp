// Configuration file reader: any file text over a model that already holds data.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "files/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vorn::fuzz::SilentPrompter prompter;
  vorn::ConfigModel model;
  vorn::GeneralSettings general;
  const std::string before = vorn::WriteConfigText(model, general, vorn::ConfigFileMode::Full);

  const auto status = vorn::ReadConfigText(text, model, general, prompter);
  const std::string after = vorn::WriteConfigText(model, general, vorn::ConfigFileMode::Full);
  // A refused file changes nothing.
  if (status != vorn::ConfigLoadStatus::Loaded) VORN_FUZZ_CHECK(after == before);

  // Whatever was accepted must write out as a file that reads back to the same state.
  if (status == vorn::ConfigLoadStatus::Loaded) {
    vorn::ConfigModel again;
    vorn::GeneralSettings againGeneral;
    VORN_FUZZ_CHECK(vorn::ReadConfigText(after, again, againGeneral, prompter) ==
                    vorn::ConfigLoadStatus::Loaded);
    VORN_FUZZ_CHECK(vorn::WriteConfigText(again, againGeneral, vorn::ConfigFileMode::Full) == after);
  }
  return 0;
}
