// The temporary folder, unique temporary names and the process environment.
//
// POSIX: when the environment lacks TEMP or TMP they are taken from TMPDIR, else
// "/tmp", as Wine provides them to Windows programs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// As GetTempPathA: TMP, else TEMP, else the system folder; always ends in a separator.
[[nodiscard]] std::string GetTempPath();

// As GetTempFileNameA: "<folder>\<prefix, 3 chars><hex>.tmp". With `unique` 0 the
// name is unique and an empty file is created; otherwise the name is made from
// `unique` and no file is created. Returns the number used, 0 on failure.
[[nodiscard]] std::uint32_t GetTempFileName(std::string_view folder, std::string_view prefix, std::uint32_t unique,
                                            std::string& fileName);

// As ExpandEnvironmentStringsA: every %NAME% with a defined NAME (case-insensitive)
// is replaced by its value; unknown names stay as written.
[[nodiscard]] std::string ExpandEnvironmentStrings(std::string_view text);

// The environment the layer sees (POSIX adds the Wine defaults for TEMP and TMP).
[[nodiscard]] std::optional<std::string> GetEnvironmentVariable(std::string_view name);
// Sets (or, with nullopt, removes) a variable of the process environment.
void SetEnvironmentVariable(std::string_view name, const std::optional<std::string>& value);

}  // namespace platform
