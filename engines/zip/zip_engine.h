// The zip engine's one operation: run a command record. Everything a command
// needs lives on this call's stack; nothing is kept between calls.
#pragma once

#include <cstdint>

namespace engines::zip {

inline constexpr std::int32_t EngineVersion = 160;
inline constexpr std::int32_t EnginePrivateVersion = 1600;

// `commandRecord` points at a ZipCommandRecord (the 216-byte layout). Returns the
// number of entries added or deleted (1 for a successful memory-to-memory
// compression); 0 for a record that cannot be used, after a message to its
// callback when it has one. Never throws.
[[nodiscard]] std::int32_t ExecuteCommand(void* commandRecord) noexcept;

}  // namespace engines::zip
