// The real zip engine with more entry points: they reach the fault table of the
// engine's own copy of the platform layer, which a test cannot reach from its side
// of the library boundary. Operations and persistences are passed as the numbers
// of platform::file_faults::Operation and Persistence.
#include <cstdint>

#include "engines/engine_records.h"
#include "platform/file_faults.h"

extern "C" {

ENGINE_EXPORT void ENGINE_CALL TestZipEngineFailFileOperation(std::uint32_t operation, std::uint32_t callNumber,
                                                               std::uint32_t persistence, std::uint32_t error) {
  platform::file_faults::Fail(static_cast<platform::file_faults::Operation>(operation), callNumber,
                              static_cast<platform::file_faults::Persistence>(persistence), error);
}

// 1 when the plan of `operation` has made a call fail, else 0.
ENGINE_EXPORT std::int32_t ENGINE_CALL TestZipEngineFileFaultFired(std::uint32_t operation) {
  return platform::file_faults::Fired(static_cast<platform::file_faults::Operation>(operation)) ? 1 : 0;
}

ENGINE_EXPORT void ENGINE_CALL TestZipEngineClearFileFaults() { platform::file_faults::Clear(); }

}  // extern "C"
