// Runs a fuzz target over files and folders of inputs (each folder's files in name order),
// so the seed corpus and every past finding are replayed by an ordinary build and CTest.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (int a = 1; a < argc; ++a) {
    if (!fs::is_directory(argv[a])) {
      files.emplace_back(argv[a]);
      continue;
    }
    const std::size_t first = files.size();
    for (const auto& e : fs::directory_iterator(argv[a]))
      if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin() + static_cast<std::ptrdiff_t>(first), files.end());
  }
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", f.c_str());
      return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return files.empty() ? 1 : 0;
}
