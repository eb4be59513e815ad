// The tests' side of the scripted test engines (tests/zipbuilder/test_engine):
// where each variant lies, and a handle that keeps one variant loaded for a test,
// so that its script and capture survive the component's own loads and unloads.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "platform/dynamic_library.h"
#include "tests/zipbuilder/test_engine/test_engine_protocol.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder::testing_support {

enum class TestEngineVariant : std::uint8_t { Full, NoPrivateVersion, NoExec };

// The folder holding the variant's unzdll.dll and zipdll.dll, for DLLDirectory.
[[nodiscard]] std::string TestEngineFolder(TestEngineVariant variant);
// The folder holding the real engines of this build.
[[nodiscard]] std::string RealEngineFolder();

class TestEngine {
 public:
  // Loads the library exactly as the component will name it, so both loads
  // share one instance.
  TestEngine(TestEngineVariant variant, EngineKind engine);
  ~TestEngine();
  TestEngine(const TestEngine&) = delete;
  TestEngine& operator=(const TestEngine&) = delete;

  [[nodiscard]] const std::string& Folder() const { return folder_; }
  [[nodiscard]] platform::LibraryHandle Handle() const { return library_; }

  // Clears script, output and capture; the engine reports `version` and returns
  // `execResult` from its exec entry.
  void Reset(std::int32_t version, std::int32_t execResult = 0);
  void AddStep(engines::EngineAction action, std::int32_t value1 = 0, std::intptr_t value2 = 0,
               std::string_view text = {}, std::string_view comment = {});
  void SetOutput(std::span<const std::uint8_t> bytes);

  [[nodiscard]] const test_engine::Capture& Captured() const { return *capture_(); }
  [[nodiscard]] std::string CapturedText(const test_engine::CapturedText& text) const {
    return {text.Bytes, text.Length};
  }
  // The captured record as the layout `Record`; pointers in it are stale.
  template <typename Record>
  [[nodiscard]] Record CapturedRecord() const {
    Record record;
    std::memcpy(&record, Captured().RecordBytes, sizeof(Record));
    return record;
  }

 private:
  std::string folder_;
  platform::LibraryHandle library_ = nullptr;
  test_engine::ResetFunction reset_ = nullptr;
  test_engine::AddStepFunction addStep_ = nullptr;
  test_engine::SetOutputFunction setOutput_ = nullptr;
  test_engine::CaptureFunction capture_ = nullptr;
};

}  // namespace zipbuilder::testing_support
