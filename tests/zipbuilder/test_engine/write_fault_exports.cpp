// The real zip engine with two more entry points: they reach the write-fault seam
// of the engine's own copy of the platform layer, which a test cannot reach from
// its side of the library boundary.
#include <cstdint>

#include "engines/engine_records.h"
#include "platform/write_faults.h"

extern "C" {

ENGINE_EXPORT void ENGINE_CALL TestZipEngineFailWritesAfter(std::uint32_t successfulWrites) {
  platform::write_faults::FailAfter(successfulWrites);
}

ENGINE_EXPORT void ENGINE_CALL TestZipEngineClearWriteFaults() { platform::write_faults::Clear(); }

}  // extern "C"
