// Driving the unzip engine as the component does: a command record built from
// plain settings, and a callback that records every call and answers from a
// script. The same harness runs the engine linked into the test and the real
// library loaded from the bin folder.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "engines/engine_records.h"

namespace engines::unzip::testing {

struct CallbackEvent {
  EngineAction action = EngineAction::None;
  std::int32_t value1 = 0;
  std::intptr_t value2 = 0;
  std::string text;
  std::string comment;  // action 12 only
};

struct PasswordReply {
  std::optional<std::string> password;  // nothing: answer "no password"
  bool cancelAll = false;
  std::optional<std::intptr_t> requestsLeft;  // what to answer in value 2; nothing echoes it
};

class RecordingCallback {
 public:
  std::vector<CallbackEvent> events;

  // Answers to password requests, in order; when they run out, "no password".
  std::deque<PasswordReply> passwords;
  // Value 1 answered to a CRC error: 1 keep, 0 drop, 2 as the component without a handler.
  std::int32_t crcAnswer = 2;
  // Answer to overwrite questions; nothing leaves the engine's default.
  std::optional<bool> overwrite;
  // Memory handed out for action 13; it is resized to the size asked for.
  std::vector<std::byte>* outputMemory = nullptr;
  // Returning true makes that callback answer 1 (stop).
  std::function<bool(const CallbackEvent&)> stopWhen;

  [[nodiscard]] std::vector<CallbackEvent> Of(EngineAction action) const;
  [[nodiscard]] std::vector<EngineAction> Actions() const;

  static std::int32_t ENGINE_CALL Answer(EngineCallbackRecord* record);

 private:
  std::int32_t Handle(EngineCallbackRecord& record);
};

struct UnzipRequest {
  std::string archive;
  std::string baseFolder;
  std::string password;
  std::vector<std::string> specifications;
  std::uint32_t passwordRequests = 0;
  std::uint16_t codePage = 0;
  bool test = false;
  bool directoryNames = true;
  bool overwrite = false;
  bool freshen = false;
  bool update = false;
  bool verbose = false;
  bool outputToMemory = false;
  std::vector<std::byte>* outputBuffer = nullptr;
  const std::vector<std::byte>* inputBuffer = nullptr;
};

// The record as the component builds it, with pointers into the request.
class CommandRecord {
 public:
  CommandRecord(const UnzipRequest& request, RecordingCallback& callback);
  CommandRecord(const CommandRecord&) = delete;
  CommandRecord& operator=(const CommandRecord&) = delete;
  [[nodiscard]] UnzipCommandRecord& Record() { return record_; }

 private:
  std::vector<UnzipSpecificationEntry> specifications_;
  UnzipCommandRecord record_{};
};

using ExecFunction = std::int32_t(ENGINE_CALL*)(void*);

// The engine linked into the test program.
[[nodiscard]] ExecFunction LinkedEngine();
// UnzDllExec of the built library, loaded once from the bin folder; null when it
// cannot be loaded.
[[nodiscard]] ExecFunction LibraryEngine();

enum class EngineAccess { Linked, Library };
[[nodiscard]] ExecFunction EngineFor(EngineAccess access);
[[nodiscard]] std::string NameOf(EngineAccess access);
void PrintTo(EngineAccess access, std::ostream* stream);

[[nodiscard]] std::int32_t RunEngine(ExecFunction exec, const UnzipRequest& request, RecordingCallback& callback);

// A fresh, empty folder for one test, removed with the object.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
  [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Relative names (with "/") of every file below `folder`, sorted.
[[nodiscard]] std::vector<std::string> ListFiles(const std::filesystem::path& folder);

// Where the archives made by the zip tools at build time are; empty when absent.
[[nodiscard]] std::filesystem::path FixtureFolder();

}  // namespace engines::unzip::testing
