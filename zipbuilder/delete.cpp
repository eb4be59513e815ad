// Delete: removes the entries the lines of FSpecArgs select, through the zip
// engine. The lines go to the engine as they stand; how they match entry names
// is the engine's. The run ends as every engine run does (FSpecArgs and
// FSpecArgsExcl emptied, the record freed, the engine unloaded if the run loaded
// it, ZipSideBusy cleared), and the archive is listed again only when something
// was deleted.
#include <stdexcept>

#include "zipbuilder/command_records.h"
#include "zipbuilder/engine_callback.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"
#include "zipbuilder/zip_engine_scope.h"

namespace zipbuilder {

// One delete run. A friend of TZipBuilder, as the other engine runs are.
class DeleteRun {
 public:
  explicit DeleteRun(TZipBuilder& component) : component_(component) {}

  void Run() {
    component_.errCode_ = 0;
    component_.processedCount_ = 0;
    component_.lastMessage_.clear();
    if (component_.fSpecArgs_.empty()) {
      component_.ReportMessage(message_id::DeleteNoFiles);
      return;
    }
    if (!FileExists(component_.zipFileName_)) {
      component_.ReportMessage(message_id::NoZipFileSpecified);
      return;
    }
    if (component_.zipSideBusy_) {
      return;
    }
    component_.cancel_ = false;
    RunWithEngine();
    if (component_.processedCount_ > 0) {
      component_.List();
    }
  }

 private:
  void RunWithEngine() {
    const ZipEngineScope engine(component_);
    if (!engine.Usable()) {
      return;
    }
    component_.zipSideBusy_ = true;
    const std::int32_t version = component_.zipEngine_.Version();
    try {
      RunEngine(version);
    } catch (...) {
      component_.ReportMessage(message_id::ZipEngineAbort);
    }
    component_.fSpecArgs_.clear();
    component_.fSpecArgsExcl_.clear();
    component_.currentCommandRecord_ = nullptr;
    component_.zipSideBusy_ = false;
  }

  // The command object owns the record and its texts; leaving this function, by
  // return or by exception, frees them.
  void RunEngine(std::int32_t version) {
    ZipCommand command(CommandSettings(), version);
    component_.engineCallbackFailed_ = false;
    component_.currentCommandRecord_ = command.Record();
    component_.processedCount_ = component_.zipEngine_.Exec(command.Record());
    if (component_.engineCallbackFailed_) {
      throw std::runtime_error("an event handler failed during the engine call");
    }
  }

  // The record builder clears the add-only fields of a delete itself; the
  // header's other fields come from the properties as for every command.
  [[nodiscard]] ZipCommandSettings CommandSettings() const {
    ZipCommandSettings settings;
    settings.Kind = ZipCommandKind::Delete;
    settings.OwnerWindow = component_.ownerWindow_;
    settings.Caller = &component_;
    settings.Callback = &EngineCallback;
    settings.Trace = component_.trace_;
    settings.Verbose = component_.verbose_;
    settings.Password = component_.password_;
    settings.StoreSuffixes = component_.addStoreSuffixes_;
    settings.AddOptions = component_.addOptions_;
    settings.CompressionLevel = component_.addCompLevel_;
    settings.ArchivePath = component_.zipFileName_;
    settings.Specifications = component_.fSpecArgs_;
    settings.Exclusions = component_.fSpecArgsExcl_;
    settings.TempDir = component_.tempDir_;
    settings.RawArchiveComment = component_.directory_.RawComment;
    settings.HowToDelete = component_.howToDelete_;
    settings.CodePage = component_.codePage_;
    return settings;
  }

  TZipBuilder& component_;
};

void TZipBuilder::Delete() { DeleteRun(*this).Run(); }

}  // namespace zipbuilder
