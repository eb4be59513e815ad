// The unzip engine's one operation: run a command record. Everything a command
// needs lives on this call's stack; nothing is kept between calls, so commands may
// run on several threads at once.
#pragma once

#include <cstdint>

namespace engines::unzip {

inline constexpr std::int32_t EngineVersion = 160;
inline constexpr std::int32_t EnginePrivateVersion = 1600;

// `commandRecord` points at an UnzipCommandRecord (the 148-byte layout). Returns
// the number of files extracted or tested; 0 for a record that cannot be used,
// after a message to its callback when it has one. Never throws.
[[nodiscard]] std::int32_t ExecuteCommand(void* commandRecord) noexcept;

}  // namespace engines::unzip
