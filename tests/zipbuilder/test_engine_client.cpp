#include "tests/zipbuilder/test_engine_client.h"

#include <algorithm>
#include <stdexcept>

namespace zipbuilder::testing_support {

namespace {

template <typename Function>
Function Resolve(platform::LibraryHandle library, const char* name) {
  auto* entry = reinterpret_cast<Function>(platform::GetProcAddress(library, name));
  if (entry == nullptr) {
    throw std::runtime_error(std::string("test engine lacks ") + name);
  }
  return entry;
}

void CopyText(char* target, std::size_t capacity, std::string_view text) {
  std::copy_n(text.data(), std::min(text.size(), capacity - 1), target);
}

}  // namespace

std::string TestEngineFolder(TestEngineVariant variant) {
  const std::string root = ZIPBUILDER_TEST_ENGINE_ROOT;
  switch (variant) {
    case TestEngineVariant::Full:
      return root + "/full";
    case TestEngineVariant::NoPrivateVersion:
      return root + "/no_private_version";
    case TestEngineVariant::NoExec:
      return root + "/no_exec";
  }
  return root;
}

std::string RealEngineFolder() { return ZIPBUILDER_ENGINE_FOLDER; }

TestEngine::TestEngine(TestEngineVariant variant, EngineKind engine) : folder_(TestEngineFolder(variant)) {
  const char* fileName = engine == EngineKind::Unzip ? engines::UnzipEngineFileName : engines::ZipEngineFileName;
  library_ = platform::LoadLibrary(folder_ + "\\" + fileName);
  if (library_ == nullptr) {
    throw std::runtime_error("cannot load the test engine in " + folder_);
  }
  reset_ = Resolve<test_engine::ResetFunction>(library_, test_engine::ResetEntryName);
  addStep_ = Resolve<test_engine::AddStepFunction>(library_, test_engine::AddStepEntryName);
  setOutput_ = Resolve<test_engine::SetOutputFunction>(library_, test_engine::SetOutputEntryName);
  capture_ = Resolve<test_engine::CaptureFunction>(library_, test_engine::CaptureEntryName);
  reset_(160, 0);
}

TestEngine::~TestEngine() { platform::FreeLibrary(library_); }

void TestEngine::Reset(std::int32_t version, std::int32_t execResult) { reset_(version, execResult); }

void TestEngine::AddStep(engines::EngineAction action, std::int32_t value1, std::intptr_t value2,
                         std::string_view text, std::string_view comment) {
  test_engine::CallbackStep step;
  step.Action = action;
  step.Value1 = value1;
  step.Value2 = value2;
  CopyText(step.Text, sizeof(step.Text), text);
  CopyText(step.Comment, sizeof(step.Comment), comment);
  addStep_(&step);
}

void TestEngine::SetOutput(std::span<const std::uint8_t> bytes) {
  setOutput_(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace zipbuilder::testing_support
