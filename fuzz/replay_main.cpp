// Runs a fuzz harness over files without libFuzzer: every file named, and every file under every
// folder named, in name order. The regular build replays the kept corpus this way, so a finding
// that was fixed stays fixed under gcc and the sanitizer build too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& given) {
  std::vector<fs::path> inputs;
  if (fs::is_directory(given)) {
    for (const auto& entry : fs::recursive_directory_iterator(given))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
  } else {
    inputs.push_back(given);
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " FILE_OR_FOLDER...\n";
    return 2;
  }
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    if (!fs::exists(argv[i])) {
      std::cerr << argv[i] << ": no such file or folder\n";
      return 2;
    }
    for (const fs::path& input : InputsOf(argv[i])) {
      std::ifstream file(input, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>()};
      if (!file.good() && !file.eof()) {
        std::cerr << input.string() << ": cannot be read\n";
        return 2;
      }
      // Named before it runs: when it crashes, the last line says which input did it.
      std::cerr << "replaying " << input.string() << '\n';
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::cout << "replayed " << replayed << " inputs\n";
  return 0;
}
