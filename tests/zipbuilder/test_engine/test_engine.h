// The scripted engine behind the exported entry points of every variant.
#pragma once

#include <cstdint>

namespace test_engine {

enum class EngineKind : std::uint8_t { Unzip, Zip };

// Captures the record (its bytes, and the texts it points to), writes the
// configured output, plays the callback script and returns the configured count.
[[nodiscard]] std::int32_t RunCommand(void* commandRecord, EngineKind kind) noexcept;
[[nodiscard]] std::int32_t ConfiguredVersion() noexcept;
// A private version distinct from the public one, so that tests can tell them apart.
[[nodiscard]] std::int32_t ConfiguredPrivateVersion() noexcept;

}  // namespace test_engine
