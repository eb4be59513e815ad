// The zip engine binding shared by Add and Delete.
#include "zipbuilder/zip_engine_scope.h"

#include <stdexcept>

#include "zipbuilder/engine_callback.h"

namespace zipbuilder {

ZipCommandSettings ZipEngineScope::Settings(ZipCommandKind kind) const {
  const TZipBuilder& component = component_;
  ZipCommandSettings settings;
  settings.Kind = kind;
  settings.OwnerWindow = component.ownerWindow_;
  settings.Caller = &component_;
  settings.Callback = &EngineCallback;
  settings.Trace = component.trace_;
  settings.Verbose = component.verbose_;
  settings.Password = component.password_;
  settings.StoreSuffixes = component.addStoreSuffixes_;
  settings.AddOptions = component.addOptions_;
  settings.CompressionLevel = component.addCompLevel_;
  settings.ArchivePath = component.zipFileName_;
  settings.Specifications = component.fSpecArgs_;
  settings.Exclusions = component.fSpecArgsExcl_;
  settings.TempDir = component.tempDir_;
  settings.RawArchiveComment = component.directory_.RawComment;
  if (kind == ZipCommandKind::Add) {
    settings.RootDir = component.rootDir_;
  }
  settings.HowToDelete = component.howToDelete_;
  settings.CodePage = component.codePage_;
  return settings;
}

void ZipEngineScope::Execute(ZipCommand& command) const {
  component_.engineCallbackFailed_ = false;
  component_.currentCommandRecord_ = command.Record();
  component_.processedCount_ = component_.zipEngine_.Exec(command.Record());
  if (component_.engineCallbackFailed_) {
    throw std::runtime_error("an event handler failed during the engine call");
  }
}

}  // namespace zipbuilder
