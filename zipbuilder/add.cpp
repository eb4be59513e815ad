// Adding: Add (disk files), AddFromZipStream (ZipStream as one entry) and
// CompressStream (memory into ZipStream).
//
// All three are one run of the add core in a different mode. The run checks its
// preconditions, loads the zip engine if nobody did, builds one command record,
// hands it to ZipDllExec and relays the engine's callbacks as events while the
// engine works (engine_callback.cpp). However the engine call ends, the run ends
// the same way: FSpecArgs and FSpecArgsExcl emptied, the record and its texts
// freed, the engine unloaded if the run loaded it, Cancel and ZipSideBusy
// cleared; the archive is listed again when the engine added anything.
#include <cctype>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "zipbuilder/command_records.h"
#include "zipbuilder/engine_run.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

enum class AddMode : std::uint8_t {
  Files = 0,
  MemoryToArchive = 1,
  MemoryToMemory = 2,
};

// The engine puts a header of this size in front of compressed memory output.
constexpr std::size_t MemoryOutputHeaderSize = 6;

// Writing a new self-extracting archive and writing a spanned set are operations
// of their own that this build does not have yet. Each refusal is reported as
// those operations report a failure of their own, so that the owner sees the
// same message number then as now.
constexpr const char* AutoSelfExtractorRefusal =
    "Creating a self-extracting archive while adding is not available in this build.";
constexpr const char* SpannedAddRefusal = "Adding to a spanned archive is not available in this build.";

[[nodiscard]] std::uint32_t SizeForRecord(std::size_t size) {
  if (size > UINT32_MAX) {
    throw std::length_error("a memory block beyond 4 GiB cannot be handed to the engine");
  }
  return static_cast<std::uint32_t>(size);
}

[[nodiscard]] bool HasExeExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  const std::size_t separator = fileName.find_last_of("\\/");
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) {
    return false;
  }
  std::string extension(fileName.substr(dot));
  for (char& character : extension) {
    character = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
  }
  return extension == ".EXE";
}

}  // namespace

// One run of the add core.
class AddRun {
 public:
  AddRun(TZipBuilder& component, AddMode mode, std::uint32_t dosDateTime, TZipStream* source,
         std::uint32_t attributes)
      : component_(component),
        operation_(component, EngineKind::Zip),
        mode_(mode),
        dosDateTime_(dosDateTime),
        source_(source),
        attributes_(attributes) {}

  void Run() {
    operation_.Start();
    if (!PreconditionsHold() || operation_.SideBusy()) {
      return;
    }
    component_.SetCancel(false);
    if (WantsAutoSelfExtractor()) {
      component_.ReportMessage(message_id::RewriteUnknownError, AutoSelfExtractorRefusal);
      return;
    }
    RunWithEngine();
    if (component_.ProcessedCount() > 0) {
      component_.List();
    }
  }

 private:
  [[nodiscard]] bool PreconditionsHold() {
    if (mode_ == AddMode::Files && component_.FSpecArgs().empty()) {
      component_.ReportMessage(message_id::AddNoFiles);
      return false;
    }
    if (mode_ != AddMode::MemoryToMemory && component_.ZipFileName().empty()) {
      component_.ReportMessage(message_id::NoZipFileSpecified);
      return false;
    }
    if (component_.Unattended() && component_.AddOptions().Contains(AddOptsEnum::AddEncrypt) &&
        component_.Password().empty()) {
      component_.ReportMessage(message_id::AddUnattendedNeedsPassword);
      return false;
    }
    return true;
  }

  // A new archive under an executable's name starts as a self-extractor stub.
  [[nodiscard]] bool WantsAutoSelfExtractor() const {
    return mode_ != AddMode::MemoryToMemory && HasExeExtension(component_.ZipFileName()) &&
           component_.Directory().PrefixSize == 0 && !FileExists(component_.ZipFileName());
  }

  [[nodiscard]] bool Spanning() const {
    const AddOptsSet options = component_.AddOptions();
    return mode_ != AddMode::MemoryToMemory &&
           (options.Contains(AddOptsEnum::AddDiskSpan) || options.Contains(AddOptsEnum::AddDiskSpanErase));
  }

  // A spanned add is checked once the engine is loaded, as the add core orders
  // its steps; the engine is unloaded again when the add is refused.
  [[nodiscard]] bool SpanningRefused() {
    if (!Spanning()) {
      return false;
    }
    const AddOptsSet options = component_.AddOptions();
    if (options.Contains(AddOptsEnum::AddFreshen) || options.Contains(AddOptsEnum::AddUpdate)) {
      component_.ReportMessage(message_id::AddFreshenOnSpanned);
    } else if (HasExeExtension(component_.ZipFileName())) {
      component_.ReportMessage(message_id::SfxCannotSpan);
    } else {
      component_.ReportMessage(message_id::RewriteUnknownError, SpannedAddRefusal);
    }
    return true;
  }

  void RunWithEngine() {
    EngineRun run(component_, EngineKind::Zip);
    if (!run.Usable() || SpanningRefused()) {
      return;
    }
    operation_.MarkSideBusy();
    const std::int32_t version = run.Version();
    if (mode_ != AddMode::Files && version < engines::StreamCapableVersion) {
      component_.ReportMessage(message_id::AddStreamsNeedNewerEngine);
      operation_.MarkSideIdle();
      return;
    }
    run.Guarded([&] { RunEngineKeepingOnlyWholeOutput(run, version); });
    component_.SetCancel(false);
    operation_.MarkSideIdle();
  }

  // Memory output that the run did not finish is no result.
  void RunEngineKeepingOnlyWholeOutput(EngineRun& run, std::int32_t version) {
    try {
      RunEngine(run, version);
    } catch (...) {
      if (mode_ == AddMode::MemoryToMemory) {
        operation_.ClearProcessedCount();
      }
      throw;
    }
  }

  // The command object owns the record and its texts; leaving this function, by
  // return or by exception, frees them.
  void RunEngine(EngineRun& run, std::int32_t version) {
    ZipCommand command(run.ZipSettings(ZipCommandKind::Add), version);
    TZipStream& stream = component_.ZipStream();
    if (mode_ == AddMode::MemoryToArchive) {
      command.SetInputMemory(stream.Memory(), SizeForRecord(stream.Size()));
      command.SetMemoryEntry(attributes_, dosDateTime_);
    }
    if (mode_ == AddMode::MemoryToMemory) {
      command.SetOutputMemory(stream.Memory(), SizeForRecord(source_->Size() + MemoryOutputHeaderSize));
      command.SetInputMemory(source_->Memory(), SizeForRecord(source_->Size()));
    }
    run.Execute(command);
    if (mode_ == AddMode::MemoryToMemory && component_.ProcessedCount() == 1 && !stream.SetSize(command.OutputSize())) {
      throw std::bad_alloc();
    }
  }

  TZipBuilder& component_;
  EngineOperation operation_;
  AddMode mode_;
  std::uint32_t dosDateTime_;
  TZipStream* source_;
  std::uint32_t attributes_;
};

void TZipBuilder::Add() { AddRun(*this, AddMode::Files, 0, nullptr, 0).Run(); }

void TZipBuilder::AddFromZipStream(std::string_view fileName, std::uint32_t dosDateTime, std::uint32_t attributes) {
  if (!fileName.empty()) {
    fSpecArgs_.assign(1, std::string(fileName));
  }
  if (dosDateTime == 0) {
    dosDateTime = platform::SystemTimeToDosDateTime(platform::GetLocalTime());
  }
  if (fSpecArgs_.empty()) {
    ReportMessage(message_id::AddNoFiles);
    return;
  }
  if (fSpecArgs_.front().find_first_of("*?") != std::string::npos) {
    ReportMessage(message_id::AddWildcardsNotAllowed);
    return;
  }
  AddRun(*this, AddMode::MemoryToArchive, dosDateTime, nullptr, attributes).Run();
}

TZipStream* TZipBuilder::CompressStream(TZipStream& source) {
  if (&source == zipStream_.get()) {
    ReportMessage(message_id::InputStreamIsOutputStream);
    return nullptr;
  }
  if (source.Size() == 0) {
    ReportMessage(message_id::AddNoFiles);
    return zipStream_.get();
  }
  if (!zipStream_->SetSize(source.Size() + MemoryOutputHeaderSize)) {
    ReportMessage(message_id::MemoryNotAvailable);
    return zipStream_.get();
  }
  AddRun(*this, AddMode::MemoryToMemory, 0, &source, 0).Run();
  if (processedCount_ == 1) {
    static_cast<void>(zipStream_->Seek(static_cast<std::int64_t>(MemoryOutputHeaderSize), StreamOrigin::Beginning));
  } else {
    static_cast<void>(zipStream_->SetSize(0));
  }
  return zipStream_.get();
}

}  // namespace zipbuilder
