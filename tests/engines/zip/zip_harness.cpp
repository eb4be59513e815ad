#include "tests/engines/zip/zip_harness.h"

#include <algorithm>
#include <cstring>

#include "engines/zip/zip_engine.h"
#include "platform/dynamic_library.h"

namespace engines::zip::testing {

namespace {

std::int32_t ENGINE_CALL LinkedExec(void* record) {
  return ExecuteCommand(record);
}

std::int32_t Flag(bool value) {
  return value ? 1 : 0;
}

const char* TextOrNull(const std::string& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

std::vector<CallbackEvent> RecordingCallback::Of(EngineAction action) const {
  std::vector<CallbackEvent> found;
  std::copy_if(events.begin(), events.end(), std::back_inserter(found),
               [action](const CallbackEvent& event) { return event.action == action; });
  return found;
}

std::vector<std::string> RecordingCallback::TextsOf(EngineAction action) const {
  std::vector<std::string> texts;
  for (const CallbackEvent& event : Of(action)) {
    texts.push_back(event.text);
  }
  return texts;
}

std::int32_t ENGINE_CALL RecordingCallback::Answer(EngineCallbackRecord* record) {
  return static_cast<RecordingCallback*>(record->Caller)->Handle(*record);
}

std::int32_t RecordingCallback::Handle(EngineCallbackRecord& record) {
  CallbackEvent event{record.Action, record.Value1, record.Value2, record.Text, {}, record.IsZip};
  if (record.Action == EngineAction::FileComment) {
    event.comment = record.Text + EngineCallbackCommentOffset;
  }
  events.push_back(event);
  if (record.Action == EngineAction::NewName) {
    if (const auto found = newNames.find(event.text); found != newNames.end()) {
      std::strncpy(record.Text, found->second.c_str(), EngineCallbackMaximumAnswer);
      record.Value1 = 1;
    }
  }
  if (record.Action == EngineAction::FileComment) {
    if (const auto found = comments.find(event.text); found != comments.end()) {
      std::strncpy(record.Text, found->second.c_str(), EngineCallbackMaximumComment);
      record.Value1 = 1;
      record.Value2 = static_cast<std::intptr_t>(found->second.size());
    }
  }
  if (record.Action == EngineAction::PasswordRequest) {
    record.Value1 = password ? 1 : 0;
    record.Value2 = 0;
    if (password) {
      std::strncpy(record.Text, password->c_str(), MaximumPasswordLength);
      record.Text[MaximumPasswordLength] = '\0';
    }
  }
  return stopWhen && stopWhen(event) ? 1 : 0;
}

ExecFunction LinkedEngine() {
  return &LinkedExec;
}

void* LibraryEntry(const char* name) {
  static const platform::LibraryHandle library = platform::LoadLibrary("zipdll.dll");
  return library == nullptr ? nullptr : platform::GetProcAddress(library, name);
}

ExecFunction LibraryEngine() {
  return reinterpret_cast<ExecFunction>(LibraryEntry(ZipExecEntryName));
}

RunResult RunZip(ExecFunction exec, const ZipRequest& request, RecordingCallback& callback) {
  std::vector<ZipSpecificationEntry> specifications;
  for (const Specification& line : request.specifications) {
    ZipSpecificationEntry entry{};
    entry.Specification = line.text.c_str();
    entry.Password = line.password ? line.password->c_str() : nullptr;
    entry.Encrypt = Flag(line.password.has_value() || line.encrypt);
    entry.Recurse = static_cast<std::uint16_t>(Flag(line.recurse));
    entry.RootDir = TextOrNull(line.rootFolder);
    specifications.push_back(entry);
  }
  std::vector<const char*> exclusions;
  for (const std::string& exclusion : request.exclusions) {
    exclusions.push_back(exclusion.c_str());
  }
  ZipCommandRecord record{};
  ZipCommandHeader& header = record.Header;
  header.Caller = &callback;
  header.RecordVersion = CommandRecordVersion;
  header.Callback = &RecordingCallback::Answer;
  header.StoredSuffixes = TextOrNull(request.storedSuffixes);
  header.HiddenFiles = Flag(request.hiddenFiles);
  header.Volume = Flag(request.volumeLabel);
  header.DirectoryEntries = Flag(request.folderEntries);
  header.Verbose = Flag(request.verbose);
  header.AlwaysOne = 1;
  header.CompressionLevel = request.level;
  header.DropFolderNames = Flag(!request.folderNames);
  header.AddCommand = Flag(!request.deleteEntries);
  header.ForceDosNames = Flag(request.forceDos);
  header.Move = Flag(request.move);
  header.DeleteCommand = Flag(request.deleteEntries);
  header.Update = Flag(request.update);
  header.Freshen = Flag(request.freshen && !request.update);
  header.ZipTime = Flag(request.zipTime);
  header.SpecificationCount = static_cast<std::int32_t>(specifications.size());
  header.ArchivePath = request.archive.c_str();
  record.TempDir = TextOrNull(request.tempFolder);
  record.ArchiveComment = request.comment ? request.comment->c_str() : nullptr;
  record.ArchiveOnly = static_cast<std::uint16_t>(Flag(request.archiveOnly));
  record.ResetArchive = static_cast<std::uint16_t>(Flag(request.resetArchive));
  record.Specifications = specifications.data();
  record.ExclusionCount = static_cast<std::int32_t>(exclusions.size());
  record.ExclusionTexts = exclusions.data();
  if (request.input != nullptr) {
    record.InputFromMemory = 1;
    record.InputBuffer = request.input->data();
    record.InputSize = static_cast<std::uint32_t>(request.input->size());
    record.MemoryEntryAttributes = request.memoryAttributes;
    record.MemoryEntryDosDateTime = request.memoryDosDateTime;
  }
  if (request.output != nullptr) {
    record.OutputToMemory = 1;
    record.OutputBuffer = request.output->data();
    record.OutputSize = static_cast<std::uint32_t>(request.output->size());
  }
  record.RecycleBin = Flag(request.recycle);
  record.CodePage = static_cast<std::uint16_t>(request.oemNames ? 2 : 0);
  record.EndMarker = CommandRecordEndMarker;
  const std::int32_t count = exec(&record);
  return RunResult{count, record.OutputSize};
}

}  // namespace engines::zip::testing
