// GetUnzDllVersion of the scripted test engine: the version the test configured.
#include "engines/engine_records.h"
#include "tests/zipbuilder/test_engine/test_engine.h"

extern "C" std::int32_t ENGINE_CALL GetUnzDllVersion() { return test_engine::ConfiguredVersion(); }
