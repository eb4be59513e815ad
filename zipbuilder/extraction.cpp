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
#include "zipbuilder/engine_callback.h"
#include "zipbuilder/engine_loaded_for_run.h"
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

// One extraction run. A friend of TZipBuilder: the run resets and sets run-time
// state that has no setter (ErrCode, ProcessedCount, UnzipSideBusy, ...).
class ExtractionRun {
 public:
  ExtractionRun(TZipBuilder& component, ExtractionMode mode, TZipStream* source)
      : component_(component), mode_(mode), source_(source) {}

  void Run() {
    component_.errCode_ = 0;
    component_.processedCount_ = 0;
    component_.lastMessage_.clear();
    if (mode_ != ExtractionMode::MemoryToMemory && !FileExists(component_.zipFileName_)) {
      component_.ReportMessage(message_id::NoZipFileSpecified);
      return;
    }
    component_.cancel_ = false;
    if (component_.unzipSideBusy_) {
      return;
    }
    RunWithEngine();
    component_.cancel_ = false;
    component_.unzipSideBusy_ = false;
  }

 private:
  void RunWithEngine() {
    const PasswordRequestsSuspended suspended(component_);
    const EngineLoadedForRun engine(component_, EngineKind::Unzip);
    if (!engine.Usable()) {
      return;
    }
    if (component_.directory_.LastDiskNumber > 0) {
      component_.ReportMessage(message_id::RewriteUnknownError, SpannedArchiveRefusal);
      return;
    }
    const std::int32_t version = component_.unzipEngine_.Version();
    if (IsMemoryMode(mode_) && version < engines::StreamCapableVersion) {
      component_.ReportMessage(message_id::ExtractStreamsNeedNewerEngine);
      return;
    }
    RunEngineGuarded(version);
  }

  // Unattended with no password and nobody to ask: the engine must not wait for
  // answers, so it is told to ask no more for this run; the owner's count comes
  // back afterwards, on every path.
  class PasswordRequestsSuspended {
   public:
    explicit PasswordRequestsSuspended(TZipBuilder& component)
        : component_(component),
          savedCount_(component.passwordReqCount_),
          suspended_(component.unattended_ && component.password_.empty() && !component.OnPasswordError) {
      if (suspended_) {
        component_.passwordReqCount_ = 0;
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

  void RunEngineGuarded(std::int32_t version) {
    component_.unzipSideBusy_ = true;
    try {
      RunEngine(version);
    } catch (...) {
      component_.ReportMessage(message_id::UnzipEngineAbort);
    }
    component_.fSpecArgs_.clear();
    component_.currentCommandRecord_ = nullptr;
  }

  // The command object owns the record and its texts; leaving this function, by
  // return or by exception, frees them.
  void RunEngine(std::int32_t version) {
    UnzipCommand command(CommandSettings(), version);
    if (mode_ == ExtractionMode::EntryToMemory) {
      MarkEntryForMemory(command);
    }
    if (mode_ == ExtractionMode::MemoryToMemory) {
      MarkMemoryToMemory(command);
    }
    if (mode_ == ExtractionMode::ToDisk || command.OutputToMemory()) {
      component_.engineCallbackFailed_ = false;
      component_.currentCommandRecord_ = command.Record();
      component_.processedCount_ = component_.unzipEngine_.Exec(command.Record());
    }
    if (IsMemoryMode(mode_) && component_.processedCount_ != 1) {
      component_.zipStream_->Clear();
    }
    if (component_.engineCallbackFailed_) {
      throw std::runtime_error("an event handler failed during the engine call");
    }
  }

  [[nodiscard]] UnzipCommandSettings CommandSettings() const {
    UnzipCommandSettings settings;
    settings.OwnerWindow = component_.ownerWindow_;
    settings.Caller = &component_;
    settings.Callback = &EngineCallback;
    settings.Trace = component_.trace_;
    settings.Verbose = component_.verbose_;
    settings.CodePage = component_.codePage_;
    settings.Password = component_.password_;
    settings.Unattended = component_.unattended_;
    settings.AddOptions = component_.addOptions_;
    settings.ExtrOptions = component_.extrOptions_;
    settings.ArchivePath = component_.zipFileName_;
    settings.Specifications = component_.fSpecArgs_;
    settings.BaseFolder = BaseFolder();
    settings.PasswordReqCount = component_.passwordReqCount_;
    return settings;
  }

  // Memory modes write nothing to disk, so ExtrBaseDir does not apply to them.
  [[nodiscard]] std::string BaseFolder() const {
    if (mode_ == ExtractionMode::ToDisk && FolderExists(component_.extrBaseDir_)) {
      return component_.extrBaseDir_;
    }
    return platform::GetCurrentDirectory();
  }

  // Only an entry that exists gets a buffer; without one the engine is not called.
  void MarkEntryForMemory(UnzipCommand& command) {
    if (component_.zipFileName_.empty()) {
      return;
    }
    const std::string wanted = component_.fSpecArgs_.empty() ? std::string() : component_.fSpecArgs_.front();
    for (const std::unique_ptr<ZipDirEntry>& entry : component_.dirEntries_) {
      if (platform::CompareTextIgnoreCase(wanted, entry->FileName) != 0) {
        continue;
      }
      const std::uint32_t size = entry->UncompressedSize;
      TZipStream& stream = *component_.zipStream_;
      if (!stream.SetSize(size)) {
        throw std::bad_alloc();
      }
      command.SetOutputMemory(stream.Memory(), size);
      command.SetSpecificationCount(1);
      return;
    }
  }

  void MarkMemoryToMemory(UnzipCommand& command) {
    TZipStream& stream = *component_.zipStream_;
    command.SetInputMemory(source_->Memory(), SizeForRecord(source_->Size()));
    command.SetOutputMemory(stream.Memory(), SizeForRecord(stream.Size()));
  }

  TZipBuilder& component_;
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
