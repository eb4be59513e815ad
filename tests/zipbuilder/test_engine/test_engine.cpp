// The scripted test engine: one set of state per loaded library.
#include "tests/zipbuilder/test_engine/test_engine.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/zipbuilder/test_engine/test_engine_protocol.h"

namespace test_engine {

namespace {

struct State {
  std::int32_t Version = 160;
  std::int32_t ExecResult = 0;
  std::vector<CallbackStep> Script;
  std::vector<std::uint8_t> Output;
  Capture Captured{};
};

State& TheState() {
  static State state;
  return state;
}

void CaptureText(CapturedText& captured, const char* text) {
  captured = CapturedText{};
  if (text == nullptr) {
    return;
  }
  captured.Present = 1;
  const std::size_t length = static_cast<std::size_t>(std::find(text, text + CapturedTextSize - 1, '\0') - text);
  captured.Length = static_cast<std::uint32_t>(length);
  std::memcpy(captured.Bytes, text, length);
}

template <typename Record>
void CaptureRecordBytes(const void* commandRecord) {
  Capture& captured = TheState().Captured;
  captured.RecordSize = sizeof(Record);
  std::memcpy(captured.RecordBytes, commandRecord, sizeof(Record));
}

struct CallbackTarget {
  void* Caller;
  engines::EngineCallbackFunction Callback;
};

CallbackTarget CaptureUnzipRecord(void* commandRecord) {
  Capture& captured = TheState().Captured;
  if (TheState().Version < engines::UnzipCompactRecordVersion) {
    CaptureRecordBytes<engines::UnzipCommandRecordBelow152>(commandRecord);
    const auto& record = *static_cast<const engines::UnzipCommandRecordBelow152*>(commandRecord);
    CaptureText(captured.Password, record.Header.Password);
    CaptureText(captured.ArchivePath, record.ArchivePath);
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(record.SpecificationCount),
                                             CapturedSpecificationCount);
    for (std::size_t index = 0; index < count; ++index) {
      CaptureText(captured.Specifications[index], record.SpecificationTexts[index]);
    }
    return {record.Header.Caller, record.Header.Callback};
  }
  CaptureRecordBytes<engines::UnzipCommandRecord>(commandRecord);
  const auto& record = *static_cast<const engines::UnzipCommandRecord*>(commandRecord);
  CaptureText(captured.Password, record.Header.Password);
  CaptureText(captured.ArchivePath, record.ArchivePath);
  CaptureText(captured.BaseFolder, record.BaseFolder);
  const auto count =
      std::min<std::size_t>(static_cast<std::size_t>(record.SpecificationCount), CapturedSpecificationCount);
  for (std::size_t index = 0; index < count && record.Specifications != nullptr; ++index) {
    CaptureText(captured.Specifications[index], record.Specifications[index].Specification);
  }
  return {record.Header.Caller, record.Header.Callback};
}

CallbackTarget CaptureZipRecord(void* commandRecord) {
  Capture& captured = TheState().Captured;
  const auto& header = *static_cast<const engines::ZipCommandHeader*>(commandRecord);
  if (TheState().Version < engines::ZipCompactRecordVersion) {
    CaptureRecordBytes<engines::ZipCommandRecordBelow151>(commandRecord);
  } else {
    CaptureRecordBytes<engines::ZipCommandRecord>(commandRecord);
  }
  CaptureText(captured.Password, header.Password);
  CaptureText(captured.ArchivePath, header.ArchivePath);
  const auto count =
      std::min<std::size_t>(static_cast<std::size_t>(header.SpecificationCount), CapturedSpecificationCount);
  if (TheState().Version < engines::ZipCompactRecordVersion) {
    const auto& record = *static_cast<const engines::ZipCommandRecordBelow151*>(commandRecord);
    for (std::size_t index = 0; index < count; ++index) {
      CaptureText(captured.Specifications[index], record.SpecificationTexts[index]);
    }
    return {header.Caller, header.Callback};
  }
  const auto& record = *static_cast<const engines::ZipCommandRecord*>(commandRecord);
  for (std::size_t index = 0; index < count && record.Specifications != nullptr; ++index) {
    CaptureText(captured.Specifications[index], record.Specifications[index].Specification);
  }
  return {header.Caller, header.Callback};
}

// As a zip engine compressing memory into memory would: the output as far as
// the buffer reaches, and its size written back.
void WriteZipOutput(void* commandRecord) {
  const std::vector<std::uint8_t>& output = TheState().Output;
  if (TheState().Version < engines::ZipCompactRecordVersion || output.empty()) {
    return;
  }
  auto& record = *static_cast<engines::ZipCommandRecord*>(commandRecord);
  if (record.OutputToMemory == 0 || record.OutputBuffer == nullptr) {
    return;
  }
  const std::size_t count = std::min<std::size_t>(output.size(), record.OutputSize);
  std::memcpy(record.OutputBuffer, output.data(), count);
  record.OutputSize = static_cast<std::uint32_t>(count);
}

// As an engine extracting one entry to memory would.
void WriteOutput(void* commandRecord) {
  const std::vector<std::uint8_t>& output = TheState().Output;
  if (TheState().Version < engines::UnzipCompactRecordVersion || output.empty()) {
    return;
  }
  auto& record = *static_cast<engines::UnzipCommandRecord*>(commandRecord);
  if (record.OutputToMemory == 0 || record.OutputBuffer == nullptr) {
    return;
  }
  const std::size_t count = std::min<std::size_t>(output.size(), record.OutputSize);
  std::memcpy(record.OutputBuffer, output.data(), count);
}

void PlayScript(const CallbackTarget& target, EngineKind kind) {
  Capture& captured = TheState().Captured;
  auto callbackRecord = std::make_unique<engines::EngineCallbackRecord>();
  for (const CallbackStep& step : TheState().Script) {
    *callbackRecord = engines::EngineCallbackRecord{};
    callbackRecord->Caller = target.Caller;
    callbackRecord->IsZip = kind == EngineKind::Zip ? 1 : 0;
    callbackRecord->Action = step.Action;
    callbackRecord->Value1 = step.Value1;
    callbackRecord->Value2 = step.Value2;
    std::memcpy(callbackRecord->Text, step.Text, sizeof(step.Text));
    std::memcpy(callbackRecord->Text + engines::EngineCallbackCommentOffset, step.Comment, sizeof(step.Comment));
    const std::int32_t returned = target.Callback(callbackRecord.get());
    CallbackOutcome& outcome = captured.Outcomes[captured.StepsPlayed++];
    outcome.Returned = returned;
    outcome.Action = callbackRecord->Action;
    outcome.Value1 = callbackRecord->Value1;
    outcome.Value2 = callbackRecord->Value2;
    std::memcpy(outcome.Text, callbackRecord->Text, sizeof(outcome.Text));
    if (returned == 1) {
      return;
    }
  }
}

}  // namespace

std::int32_t RunCommand(void* commandRecord, EngineKind kind) noexcept {
  State& state = TheState();
  ++state.Captured.ExecCalls;
  const CallbackTarget target =
      kind == EngineKind::Unzip ? CaptureUnzipRecord(commandRecord) : CaptureZipRecord(commandRecord);
  if (kind == EngineKind::Unzip) {
    WriteOutput(commandRecord);
  } else {
    WriteZipOutput(commandRecord);
  }
  if (target.Callback != nullptr) {
    PlayScript(target, kind);
  }
  return state.ExecResult;
}

std::int32_t ConfiguredVersion() noexcept { return TheState().Version; }

std::int32_t ConfiguredPrivateVersion() noexcept { return TheState().Version * 10 + 1; }

}  // namespace test_engine

extern "C" {

void ENGINE_CALL TestEngineReset(std::int32_t version, std::int32_t execResult) {
  test_engine::State& state = test_engine::TheState();
  state.Version = version;
  state.ExecResult = execResult;
  state.Script.clear();
  state.Output.clear();
  state.Captured = test_engine::Capture{};
}

void ENGINE_CALL TestEngineAddStep(const test_engine::CallbackStep* step) {
  std::vector<test_engine::CallbackStep>& script = test_engine::TheState().Script;
  if (script.size() < test_engine::MaximumScriptSteps) {
    script.push_back(*step);
  }
}

void ENGINE_CALL TestEngineSetOutput(const std::uint8_t* bytes, std::uint32_t count) {
  test_engine::TheState().Output.assign(bytes, bytes + std::min<std::size_t>(count, test_engine::MaximumOutputBytes));
}

const test_engine::Capture* ENGINE_CALL TestEngineCapture() { return &test_engine::TheState().Captured; }

}  // extern "C"
