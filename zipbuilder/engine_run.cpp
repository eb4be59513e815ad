#include "zipbuilder/engine_run.h"

#include <stdexcept>

#include "zipbuilder/engine_callback.h"
#include "zipbuilder/message_table.h"

namespace zipbuilder {

void EngineOperation::Start() {
  component_.errCode_ = 0;
  component_.processedCount_ = 0;
  component_.lastMessage_.clear();
}

bool& EngineOperation::SideBusyFlag() const {
  return engine_ == EngineKind::Unzip ? component_.unzipSideBusy_ : component_.zipSideBusy_;
}

bool EngineOperation::SideBusy() const { return SideBusyFlag(); }

void EngineOperation::MarkSideBusy() { SideBusyFlag() = true; }

void EngineOperation::MarkSideIdle() { SideBusyFlag() = false; }

void EngineOperation::ClearProcessedCount() { component_.processedCount_ = 0; }

EngineRun::EngineRun(TZipBuilder& component, EngineKind engine)
    : component_(component), engine_(engine), loadedHere_(component.Binding(engine).Handle == nullptr) {
  if (loadedHere_) {
    component_.LoadEngine(engine_);
  }
}

EngineRun::~EngineRun() {
  if (loadedHere_) {
    component_.UnloadEngine(engine_);
  }
}

bool EngineRun::Usable() const {
  const EngineBinding& binding = Binding();
  return binding.Handle != nullptr && binding.Exec != nullptr && binding.Version != nullptr;
}

std::int32_t EngineRun::Version() const { return Binding().Version(); }

const EngineBinding& EngineRun::Binding() const { return component_.Binding(engine_); }

void EngineRun::FillCommonSettings(EngineCommandSettings& settings) const {
  const TZipBuilder& component = component_;
  settings.OwnerWindow = component.ownerWindow_;
  settings.Caller = &component_;
  settings.Callback = &EngineCallback;
  settings.Trace = component.trace_;
  settings.Verbose = component.verbose_;
  settings.CodePage = component.codePage_;
  settings.Password = component.password_;
  settings.AddOptions = component.addOptions_;
  settings.ArchivePath = component.zipFileName_;
  settings.Specifications = component.fSpecArgs_;
}

UnzipCommandSettings EngineRun::UnzipSettings() const {
  UnzipCommandSettings settings;
  FillCommonSettings(settings);
  settings.Unattended = component_.unattended_;
  settings.ExtrOptions = component_.extrOptions_;
  settings.PasswordReqCount = component_.passwordReqCount_;
  return settings;
}

ZipCommandSettings EngineRun::ZipSettings(ZipCommandKind kind) const {
  ZipCommandSettings settings;
  FillCommonSettings(settings);
  settings.Kind = kind;
  settings.StoreSuffixes = component_.addStoreSuffixes_;
  settings.CompressionLevel = component_.addCompLevel_;
  settings.Exclusions = component_.fSpecArgsExcl_;
  settings.TempDir = component_.tempDir_;
  settings.RawArchiveComment = component_.directory_.RawComment;
  if (kind == ZipCommandKind::Add) {
    settings.RootDir = component_.rootDir_;
  }
  settings.HowToDelete = component_.howToDelete_;
  return settings;
}

void EngineRun::Execute(UnzipCommand& command) { Call(command.Record()); }

void EngineRun::Execute(ZipCommand& command) { Call(command.Record()); }

void EngineRun::Call(void* record) {
  component_.engineCallbackFailed_ = false;
  component_.currentCommandRecord_ = record;
  component_.processedCount_ = Binding().Exec(record);
  if (component_.engineCallbackFailed_) {
    throw std::runtime_error("an event handler failed during the engine call");
  }
}

void EngineRun::ReportAbort() {
  component_.ReportMessage(engine_ == EngineKind::Unzip ? message_id::UnzipEngineAbort : message_id::ZipEngineAbort);
}

void EngineRun::CleanUp() {
  component_.fSpecArgs_.clear();
  if (engine_ == EngineKind::Zip) {
    component_.fSpecArgsExcl_.clear();
  }
  component_.currentCommandRecord_ = nullptr;
}

}  // namespace zipbuilder
