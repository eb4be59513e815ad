#include "tests/engines/unzip/engine_harness.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

#include "engines/unzip/unzip_engine.h"
#include "platform/dynamic_library.h"

namespace engines::unzip::testing {

namespace {

std::int32_t ENGINE_CALL LinkedExec(void* record) {
  return ExecuteCommand(record);
}

std::int32_t Flag(bool value) {
  return value ? 1 : 0;
}

}  // namespace

std::vector<CallbackEvent> RecordingCallback::Of(EngineAction action) const {
  std::vector<CallbackEvent> found;
  std::copy_if(events.begin(), events.end(), std::back_inserter(found),
               [action](const CallbackEvent& event) { return event.action == action; });
  return found;
}

std::vector<EngineAction> RecordingCallback::Actions() const {
  std::vector<EngineAction> actions;
  for (const CallbackEvent& event : events) {
    actions.push_back(event.action);
  }
  return actions;
}

std::int32_t ENGINE_CALL RecordingCallback::Answer(EngineCallbackRecord* record) {
  return static_cast<RecordingCallback*>(record->Caller)->Handle(*record);
}

std::int32_t RecordingCallback::Handle(EngineCallbackRecord& record) {
  CallbackEvent event{record.Action, record.Value1, record.Value2, record.Text, {}};
  if (record.Action == EngineAction::FileComment) {
    event.comment = record.Text + EngineCallbackCommentOffset;
  }
  events.push_back(event);
  switch (record.Action) {
    case EngineAction::PasswordRequest: {
      PasswordReply reply = passwords.empty() ? PasswordReply{} : passwords.front();
      if (!passwords.empty()) {
        passwords.pop_front();
      }
      record.Value1 = reply.password ? 1 : 0;
      if (reply.password) {
        std::strncpy(record.Text, reply.password->c_str(), MaximumPasswordLength);
        record.Text[MaximumPasswordLength] = '\0';
      }
      record.Value2 = reply.password ? reply.requestsLeft.value_or(record.Value2) : 0;
      if (reply.cancelAll) {
        record.Action = EngineAction::None;
      }
      break;
    }
    case EngineAction::CrcError:
      record.Value1 = crcAnswer;
      break;
    case EngineAction::OverwriteQuestion:
      if (overwrite) {
        record.Value2 = *overwrite ? 1 : 0;
      }
      break;
    case EngineAction::OutputMemoryRequest:
      if (outputMemory != nullptr) {
        outputMemory->resize(static_cast<std::size_t>(record.Value2));
        record.Value2 = reinterpret_cast<std::intptr_t>(outputMemory->data());
      }
      break;
    default:
      break;
  }
  return stopWhen && stopWhen(event) ? 1 : 0;
}

CommandRecord::CommandRecord(const UnzipRequest& request, RecordingCallback& callback) {
  for (const std::string& specification : request.specifications) {
    UnzipSpecificationEntry entry{};
    entry.Specification = specification.c_str();
    specifications_.push_back(entry);
  }
  UnzipCommandHeader& header = record_.Header;
  header.Caller = &callback;
  header.RecordVersion = CommandRecordVersion;
  header.Callback = &RecordingCallback::Answer;
  header.CodePage = request.codePage;
  header.Password = request.password.c_str();
  header.Test = Flag(request.test);
  header.AlwaysOne = 1;
  header.Verbose = Flag(request.verbose);
  header.Update = Flag(request.update);
  header.Freshen = Flag(request.freshen && !request.update);
  header.DirectoryNames = Flag(request.directoryNames);
  header.Overwrite = Flag(request.overwrite);
  record_.SpecificationCount = static_cast<std::int32_t>(specifications_.size());
  record_.ArchivePath = request.archive.c_str();
  record_.Specifications = specifications_.data();
  record_.OutputToMemory = Flag(request.outputToMemory);
  if (request.outputBuffer != nullptr) {
    record_.OutputBuffer = request.outputBuffer->data();
    record_.OutputSize = static_cast<std::uint32_t>(request.outputBuffer->size());
  }
  if (request.inputBuffer != nullptr) {
    record_.InputFromMemory = 1;
    record_.InputBuffer = request.inputBuffer->data();
    record_.InputSize = static_cast<std::uint32_t>(request.inputBuffer->size());
  }
  record_.PasswordReqCount = request.passwordRequests;
  record_.BaseFolder = request.baseFolder.c_str();
  record_.EndMarker = CommandRecordEndMarker;
}

ExecFunction LinkedEngine() {
  return &LinkedExec;
}

ExecFunction LibraryEngine() {
  static const platform::LibraryHandle library = platform::LoadLibrary("unzdll.dll");
  if (library == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<ExecFunction>(platform::GetProcAddress(library, UnzipExecEntryName));
}

ExecFunction EngineFor(EngineAccess access) {
  return access == EngineAccess::Linked ? LinkedEngine() : LibraryEngine();
}

std::string NameOf(EngineAccess access) {
  return access == EngineAccess::Linked ? "Linked" : "Library";
}

void PrintTo(EngineAccess access, std::ostream* stream) {
  *stream << NameOf(access);
}

std::int32_t RunEngine(ExecFunction exec, const UnzipRequest& request, RecordingCallback& callback) {
  CommandRecord record(request, callback);
  return exec(&record.Record());
}

ScratchFolder::ScratchFolder() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("unzip-test-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Read-only files made by a test would stop the removal on Windows.
  for (const auto& item : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(item.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ListFiles(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (item.is_regular_file()) {
      const std::u8string name = std::filesystem::relative(item.path(), folder).generic_u8string();
      files.emplace_back(name.begin(), name.end());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::filesystem::path FixtureFolder() {
  const std::filesystem::path folder = std::filesystem::current_path() / "fixtures";
  return std::filesystem::exists(folder / "tree") ? folder : std::filesystem::path();
}

}  // namespace engines::unzip::testing
