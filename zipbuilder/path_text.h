// Small rewrites of path texts shared by the component's operations.
#pragma once

#include <string>
#include <string_view>

namespace zipbuilder {

// Adds "\" to a non-empty path that does not end in one; an empty path stays empty.
[[nodiscard]] std::string AppendBackslash(std::string_view path);

// Replaces every "/" with "\" (archive names use "/", the component "\").
[[nodiscard]] std::string SlashesToBackslashes(std::string_view name);

}  // namespace zipbuilder
