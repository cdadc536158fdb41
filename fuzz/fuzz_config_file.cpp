// Configuration file reader: any file text over a model that already holds data.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "files/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vorn::fuzz::SilentPrompter prompter;
  vorn::ConfigModel model;
  vorn::GeneralSettings general;
  const std::string before = vorn::WriteConfigText(model, general, vorn::ConfigFileMode::Full);

  std::optional<vorn::EnableMapBytes> maps;
  const auto status = vorn::ReadConfigText(text, model, general, prompter, &maps);
  const std::string after = vorn::WriteConfigText(model, general, vorn::ConfigFileMode::Full, maps);
  // A refused file changes nothing.
  if (status != vorn::ConfigLoadStatus::Loaded) VORN_FUZZ_CHECK(after == before && !maps);

  // Whatever was accepted must write out as a file that reads back to the same state.
  if (status == vorn::ConfigLoadStatus::Loaded) {
    vorn::ConfigModel again;
    vorn::GeneralSettings againGeneral;
    std::optional<vorn::EnableMapBytes> againMaps;
    VORN_FUZZ_CHECK(vorn::ReadConfigText(after, again, againGeneral, prompter, &againMaps) ==
                    vorn::ConfigLoadStatus::Loaded);
    VORN_FUZZ_CHECK(againMaps == maps);
    VORN_FUZZ_CHECK(vorn::WriteConfigText(again, againGeneral, vorn::ConfigFileMode::Full, againMaps) ==
                    after);
  }
  return 0;
}
