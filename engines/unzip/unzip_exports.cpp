// The library's entry points, looked up by name by the archive component.
#include "engines/engine_records.h"
#include "engines/unzip/unzip_engine.h"

extern "C" {

ENGINE_EXPORT std::int32_t ENGINE_CALL UnzDllExec(void* commandRecord) {
  return engines::unzip::ExecuteCommand(commandRecord);
}

ENGINE_EXPORT std::int32_t ENGINE_CALL GetUnzDllVersion() {
  return engines::unzip::EngineVersion;
}

ENGINE_EXPORT std::int32_t ENGINE_CALL GetUnzDllPrivVersion() {
  return engines::unzip::EnginePrivateVersion;
}

}  // extern "C"
