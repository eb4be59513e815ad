// What the tests and the scripted test engine library share: the records the
// engine captures during UnzDllExec / ZipDllExec, the callback script it plays,
// and the extra entry points through which a test configures it and reads what
// it captured. Plain data only, so that nothing allocated on one side of the
// library boundary is freed on the other.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engines/engine_records.h"

namespace test_engine {

inline constexpr std::size_t MaximumScriptSteps = 16;
inline constexpr std::size_t CapturedTextSize = 600;
inline constexpr std::size_t CapturedSpecificationCount = 4;
inline constexpr std::size_t MaximumOutputBytes = 256;

// One callback the engine makes, in script order.
struct CallbackStep {
  engines::EngineAction Action = engines::EngineAction::None;
  std::int32_t Value1 = 0;
  std::intptr_t Value2 = 0;
  char Text[CapturedTextSize] = {};     // copied to the start of the text area
  char Comment[CapturedTextSize] = {};  // copied 256 bytes into the text area
};

// The callback record as the component left it, and what the callback returned.
struct CallbackOutcome {
  std::int32_t Returned;
  engines::EngineAction Action;
  std::int32_t Value1;
  std::intptr_t Value2;
  char Text[engines::EngineCallbackTextSize];
};

// A text the record pointed to, copied during the call (the component frees it after).
struct CapturedText {
  std::int32_t Present;  // the address was not null
  std::uint32_t Length;  // characters before the zero
  char Bytes[CapturedTextSize];
};

struct Capture {
  std::int32_t ExecCalls;
  std::uint32_t RecordSize;
  alignas(8) std::uint8_t RecordBytes[sizeof(engines::ZipCommandRecordBelow151)];
  CapturedText Password;
  CapturedText ArchivePath;
  CapturedText BaseFolder;
  CapturedText Specifications[CapturedSpecificationCount];
  std::int32_t StepsPlayed;
  CallbackOutcome Outcomes[MaximumScriptSteps];
};

// The configuration entry points, exported by every variant besides the engine's own.
using ResetFunction = void(ENGINE_CALL*)(std::int32_t version, std::int32_t execResult);
using AddStepFunction = void(ENGINE_CALL*)(const CallbackStep* step);
// Bytes the engine writes into the record's output buffer (as far as it reaches);
// the zip engine also writes their count into the output size field.
using SetOutputFunction = void(ENGINE_CALL*)(const std::uint8_t* bytes, std::uint32_t count);
using CaptureFunction = const Capture*(ENGINE_CALL*)();

inline constexpr const char* ResetEntryName = "TestEngineReset";
inline constexpr const char* AddStepEntryName = "TestEngineAddStep";
inline constexpr const char* SetOutputEntryName = "TestEngineSetOutput";
inline constexpr const char* CaptureEntryName = "TestEngineCapture";

}  // namespace test_engine
