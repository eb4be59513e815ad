// UnzDllExec of the scripted test engine; left out of the variant without it.
#include "engines/engine_records.h"
#include "tests/zipbuilder/test_engine/test_engine.h"

extern "C" std::int32_t ENGINE_CALL UnzDllExec(void* commandRecord) {
  return test_engine::RunCommand(commandRecord, test_engine::EngineKind::Unzip);
}
