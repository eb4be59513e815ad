// The library's entry points, looked up by name by the archive component.
#include "engines/engine_records.h"
#include "engines/zip/zip_engine.h"

extern "C" {

ENGINE_EXPORT std::int32_t ENGINE_CALL ZipDllExec(void* commandRecord) {
  return engines::zip::ExecuteCommand(commandRecord);
}

ENGINE_EXPORT std::int32_t ENGINE_CALL GetZipDllVersion() {
  return engines::zip::EngineVersion;
}

ENGINE_EXPORT std::int32_t ENGINE_CALL GetZipDllPrivVersion() {
  return engines::zip::EnginePrivateVersion;
}

}  // extern "C"
