// Extraction: Extract (to disk), ExtractEntryToMemory and ExtractMemoryToMemory.
//
// All three are one run of the unzip engine in a different mode. The run checks
// its preconditions, loads the engine if nobody did, builds one command record,
// hands it to UnzDllExec and relays the engine's callbacks as events while the
// engine works (engine_callback.cpp). Whatever happens inside the engine call,
// the run ends the same way: FSpecArgs emptied, the record and its texts freed,
// PasswordReqCount given back, the engine unloaded if the run loaded it, Cancel
// and UnzipSideBusy cleared.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/files.h"
#include "platform/text.h"
#include "zipbuilder/command_records.h"
#include "zipbuilder/engine_run.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

enum class ExtractionMode : std::uint8_t {
  ToDisk,
  EntryToMemory,
  MemoryToMemory,
};

[[nodiscard]] bool IsMemoryMode(ExtractionMode mode) { return mode != ExtractionMode::ToDisk; }

// Joining the volumes of a spanned archive is ReadSpan's work, which this build
// does not have yet. The refusal is reported as ReadSpan reports a failure of its
// own, so that the owner sees the same message then as now.
constexpr const char* SpannedArchiveRefusal = "Extracting from a spanned archive is not available in this build.";

[[nodiscard]] std::uint32_t SizeForRecord(std::size_t size) {
  if (size > UINT32_MAX) {
    throw std::length_error("a memory block beyond 4 GiB cannot be handed to the engine");
  }
  return static_cast<std::uint32_t>(size);
}

}  // namespace

// One extraction run.
class ExtractionRun {
 public:
  ExtractionRun(TZipBuilder& component, ExtractionMode mode, TZipStream* source)
      : component_(component), operation_(component, EngineKind::Unzip), mode_(mode), source_(source) {}

  void Run() {
    operation_.Start();
    if (mode_ != ExtractionMode::MemoryToMemory && !FileExists(component_.ZipFileName())) {
      component_.ReportMessage(message_id::NoZipFileSpecified);
      return;
    }
    component_.SetCancel(false);
    if (operation_.SideBusy()) {
      return;
    }
    RunWithEngine();
    component_.SetCancel(false);
    operation_.MarkSideIdle();
  }

 private:
  void RunWithEngine() {
    const PasswordRequestsSuspended suspended(component_);
    EngineRun run(component_, EngineKind::Unzip);
    if (!run.Usable()) {
      return;
    }
    if (component_.Directory().LastDiskNumber > 0) {
      component_.ReportMessage(message_id::RewriteUnknownError, SpannedArchiveRefusal);
      return;
    }
    const std::int32_t version = run.Version();
    if (IsMemoryMode(mode_) && version < engines::StreamCapableVersion) {
      component_.ReportMessage(message_id::ExtractStreamsNeedNewerEngine);
      return;
    }
    operation_.MarkSideBusy();
    run.Guarded([&] { RunEngine(run, version); });
  }

  // Unattended with no password and nobody to ask: the engine must not wait for
  // answers, so it is told to ask no more for this run; the owner's count comes
  // back afterwards, on every path.
  class PasswordRequestsSuspended {
   public:
    explicit PasswordRequestsSuspended(TZipBuilder& component)
        : component_(component),
          savedCount_(component.PasswordReqCount()),
          suspended_(component.Unattended() && component.Password().empty() && !component.OnPasswordError) {
      if (suspended_) {
        component_.SetPasswordReqCount(0);
        component_.ReportMessage(message_id::UnattendedExtractWarning);
      }
    }
    ~PasswordRequestsSuspended() {
      if (suspended_) {
        component_.SetPasswordReqCount(savedCount_);
      }
    }
    PasswordRequestsSuspended(const PasswordRequestsSuspended&) = delete;
    PasswordRequestsSuspended& operator=(const PasswordRequestsSuspended&) = delete;

   private:
    TZipBuilder& component_;
    std::uint32_t savedCount_;
    bool suspended_;
  };

  // The command object owns the record and its texts; leaving this function, by
  // return or by exception, frees them.
  void RunEngine(EngineRun& run, std::int32_t version) {
    UnzipCommandSettings settings = run.UnzipSettings();
    settings.BaseFolder = BaseFolder();
    UnzipCommand command(settings, version);
    if (mode_ == ExtractionMode::EntryToMemory) {
      MarkEntryForMemory(command);
    }
    if (mode_ == ExtractionMode::MemoryToMemory) {
      MarkMemoryToMemory(command);
    }
    if (mode_ == ExtractionMode::ToDisk || command.OutputToMemory()) {
      ExecuteKeepingOnlyWholeOutput(run, command);
    }
    DiscardUnfinishedOutput();
  }

  // Memory output that did not come out whole is no result, also when an event
  // handler failed during the call.
  void ExecuteKeepingOnlyWholeOutput(EngineRun& run, UnzipCommand& command) {
    try {
      run.Execute(command);
    } catch (...) {
      DiscardUnfinishedOutput();
      throw;
    }
  }

  void DiscardUnfinishedOutput() {
    if (IsMemoryMode(mode_) && component_.ProcessedCount() != 1) {
      component_.ZipStream().Clear();
    }
  }

  // Memory modes write nothing to disk, so ExtrBaseDir does not apply to them.
  [[nodiscard]] std::string BaseFolder() const {
    if (mode_ == ExtractionMode::ToDisk && FolderExists(component_.ExtrBaseDir())) {
      return component_.ExtrBaseDir();
    }
    return platform::GetCurrentDirectory();
  }

  // Only an entry that exists gets a buffer; without one the engine is not called.
  void MarkEntryForMemory(UnzipCommand& command) {
    if (component_.ZipFileName().empty()) {
      return;
    }
    const StringList& specifications = component_.FSpecArgs();
    const std::string wanted = specifications.empty() ? std::string() : specifications.front();
    for (const std::unique_ptr<ZipDirEntry>& entry : component_.DirEntries()) {
      if (platform::CompareTextIgnoreCase(wanted, entry->FileName) != 0) {
        continue;
      }
      const std::uint32_t size = entry->UncompressedSize;
      TZipStream& stream = component_.ZipStream();
      if (!stream.SetSize(size)) {
        throw std::bad_alloc();
      }
      command.SetOutputMemory(stream.Memory(), size);
      command.SetSpecificationCount(1);
      return;
    }
  }

  void MarkMemoryToMemory(UnzipCommand& command) {
    TZipStream& stream = component_.ZipStream();
    command.SetInputMemory(source_->Memory(), SizeForRecord(source_->Size()));
    command.SetOutputMemory(stream.Memory(), SizeForRecord(stream.Size()));
  }

  TZipBuilder& component_;
  EngineOperation operation_;
  ExtractionMode mode_;
  TZipStream* source_;
};

void TZipBuilder::Extract() { ExtractionRun(*this, ExtractionMode::ToDisk, nullptr).Run(); }

TZipStream* TZipBuilder::ExtractEntryToMemory(std::string_view entryName) {
  if (!entryName.empty()) {
    fSpecArgs_.assign(1, std::string(entryName));
  }
  zipStream_->Clear();
  ExtractionRun(*this, ExtractionMode::EntryToMemory, nullptr).Run();
  return processedCount_ == 1 ? zipStream_.get() : nullptr;
}

TZipStream* TZipBuilder::ExtractMemoryToMemory(TZipStream& source, std::int32_t outputSize) {
  if (&source == zipStream_.get()) {
    ReportMessage(message_id::InputStreamIsOutputStream);
    return nullptr;
  }
  zipStream_->Clear();
  if (!zipStream_->SetSize(static_cast<std::size_t>(std::max(outputSize, 0)))) {
    ReportMessage(message_id::MemoryNotAvailable);
    return nullptr;
  }
  ExtractionRun(*this, ExtractionMode::MemoryToMemory, &source).Run();
  return processedCount_ == 1 ? zipStream_.get() : nullptr;
}

}  // namespace zipbuilder
