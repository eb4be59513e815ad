#include "tests/engines/zip/test_tree.h"

#include <fstream>
#include <random>

namespace engines::zip::testing {

void MakeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void MakeTree(const std::filesystem::path& folder, const std::map<std::string, std::string>& files) {
  for (const auto& [name, content] : files) {
    MakeFile(folder / std::filesystem::u8path(name), content);
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    byte = static_cast<char>(generator() & 0xFF);
  }
  return bytes;
}

std::string TextOfSize(std::size_t size) {
  static const std::string line = "The quick brown fox jumps over the lazy dog; 0123456789.\n";
  std::string text;
  text.reserve(size);
  for (std::size_t index = 0; text.size() < size; ++index) {
    text += line.substr(0, std::min(line.size(), size - text.size()));
    text += std::to_string(index % 7);
  }
  text.resize(size);
  return text;
}

}  // namespace engines::zip::testing
