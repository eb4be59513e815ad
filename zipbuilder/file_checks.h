// Existence tests on paths, through the platform layer's file attributes.
#pragma once

#include <string_view>

namespace zipbuilder {

// The path is non-empty, its attributes can be read and it is not a folder.
[[nodiscard]] bool FileExists(std::string_view path);

// The path is non-empty, its attributes can be read and it is a folder.
[[nodiscard]] bool FolderExists(std::string_view path);

}  // namespace zipbuilder
