// Delete: removes the entries the lines of FSpecArgs select, through the zip
// engine. The lines go to the engine as they stand; how they match entry names
// is the engine's. The run ends as every engine run does (FSpecArgs and
// FSpecArgsExcl emptied, the record freed, the engine unloaded if the run loaded
// it, ZipSideBusy cleared), and the archive is listed again only when something
// was deleted.
#include "zipbuilder/command_records.h"
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
    try {
      // The command object owns the record and its texts; leaving this block,
      // by its end or by an exception, frees them.
      ZipCommand command(engine.Settings(ZipCommandKind::Delete), engine.Version());
      engine.Execute(command);
    } catch (...) {
      component_.ReportMessage(message_id::ZipEngineAbort);
    }
    component_.fSpecArgs_.clear();
    component_.fSpecArgsExcl_.clear();
    component_.currentCommandRecord_ = nullptr;
    component_.zipSideBusy_ = false;
  }

  TZipBuilder& component_;
};

void TZipBuilder::Delete() { DeleteRun(*this).Run(); }

}  // namespace zipbuilder
