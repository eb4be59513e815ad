// Scratch folders through the standard library, the same on both targets.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/platform/test_machine.h"

namespace platform_test {

namespace {

std::filesystem::path UniqueFolderName() {
  std::random_device seed;
  std::mt19937_64 generator(seed());
  return std::filesystem::canonical(std::filesystem::temp_directory_path()) /
         ("platform-test-" + std::to_string(generator() % 1'000'000'000));
}

std::filesystem::path Below(const std::string& folder, std::string_view relativeName) {
  return (std::filesystem::path(folder) / std::filesystem::path(relativeName)).make_preferred();
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::filesystem::path folder = UniqueFolderName();
  while (!std::filesystem::create_directory(folder)) {
    folder = UniqueFolderName();
  }
  path_ = folder.string();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Read-only files left by a test would stop the removal on Windows.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::FileNames(std::string_view relativeFolder) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Below(path_, relativeFolder))) {
    if (entry.is_regular_file()) {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ScratchFolder::PathOf(std::string_view relativeName) const {
  return Below(path_, relativeName).string();
}

void ScratchFolder::WriteFile(std::string_view relativeName, std::string_view contents) const {
  const std::filesystem::path file = Below(path_, relativeName);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

std::optional<std::string> ScratchFolder::ReadFile(std::string_view relativeName) const {
  std::ifstream stream(Below(path_, relativeName), std::ios::binary);
  if (!stream) {
    return std::nullopt;
  }
  std::ostringstream contents;
  contents << stream.rdbuf();
  return contents.str();
}

bool ScratchFolder::Exists(std::string_view relativeName) const {
  std::error_code ignored;
  return std::filesystem::exists(Below(path_, relativeName), ignored);
}

void ScratchFolder::MakeFolder(std::string_view relativeName) const {
  std::filesystem::create_directories(Below(path_, relativeName));
}

}  // namespace platform_test
