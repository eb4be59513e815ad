// Delete: removes the entries the lines of FSpecArgs select, through the zip
// engine. The lines go to the engine as they stand; how they match entry names
// is the engine's. The run ends as every engine run does (FSpecArgs and
// FSpecArgsExcl emptied, the record freed, the engine unloaded if the run loaded
// it, ZipSideBusy cleared), and the archive is listed again only when something
// was deleted.
#include "zipbuilder/command_records.h"
#include "zipbuilder/engine_run.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

// One delete run.
class DeleteRun {
 public:
  explicit DeleteRun(TZipBuilder& component) : component_(component), operation_(component, EngineKind::Zip) {}

  void Run() {
    operation_.Start();
    if (component_.FSpecArgs().empty()) {
      component_.ReportMessage(message_id::DeleteNoFiles);
      return;
    }
    if (!FileExists(component_.ZipFileName())) {
      component_.ReportMessage(message_id::NoZipFileSpecified);
      return;
    }
    if (operation_.SideBusy()) {
      return;
    }
    component_.SetCancel(false);
    RunWithEngine();
    if (component_.ProcessedCount() > 0) {
      component_.List();
    }
  }

 private:
  void RunWithEngine() {
    EngineRun run(component_, EngineKind::Zip);
    if (!run.Usable()) {
      return;
    }
    operation_.MarkSideBusy();
    run.Guarded([&run] {
      // The command object owns the record and its texts; leaving this block,
      // by its end or by an exception, frees them.
      ZipCommand command(run.ZipSettings(ZipCommandKind::Delete), run.Version());
      run.Execute(command);
    });
    operation_.MarkSideIdle();
  }

  TZipBuilder& component_;
  EngineOperation operation_;
};

void TZipBuilder::Delete() { DeleteRun(*this).Run(); }

}  // namespace zipbuilder
