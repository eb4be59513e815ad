// The callback both engines call during a command, with the address of a
// callback record whose caller field is the component that started the command.
#pragma once

#include <cstdint>

#include "engines/engine_records.h"

namespace zipbuilder {

// Relays the engine's progress and questions to the component's events, writes
// the answers into the record, lets the user interface handle what is waiting
// and answers 1 when the engine is to stop (Cancel), else 0. Nothing thrown in an
// event handler leaves it: such a failure stops the engine and is reported by
// the operation when the engine returns.
[[nodiscard]] std::int32_t ENGINE_CALL EngineCallback(engines::EngineCallbackRecord* record) noexcept;

}  // namespace zipbuilder
