// Folders of files for the zip tests to add, and small helpers around them.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace engines::zip::testing {

// Writes every file (name with "/" -> content) below `folder`, making folders.
void MakeTree(const std::filesystem::path& folder, const std::map<std::string, std::string>& files);
void MakeFile(const std::filesystem::path& path, const std::string& content);
[[nodiscard]] std::string ReadFile(const std::filesystem::path& path);

// `size` bytes that deflate cannot shrink.
[[nodiscard]] std::string RandomBytes(std::size_t size, unsigned seed);
// `size` bytes of text that deflates well.
[[nodiscard]] std::string TextOfSize(std::size_t size);

}  // namespace engines::zip::testing
