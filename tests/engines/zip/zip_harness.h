// Driving the zip engine as the component does: a command record (the 216-byte
// layout with its 104-byte specification entries) built from plain settings, and
// a callback that records every call and answers from a script. The same harness
// runs the engine linked into the test (where the platform's fault table
// reaches it) and the real library loaded from the bin folder.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engines/engine_records.h"

namespace engines::zip::testing {

struct Specification {
  std::string text;
  std::optional<std::string> password;  // with a password the line is encrypted
  bool encrypt = false;                 // encryption without a password of its own
  bool recurse = false;
  std::string rootFolder;
};

struct ZipRequest {
  std::string archive;
  std::vector<Specification> specifications;
  std::vector<std::string> exclusions;
  std::string storedSuffixes;
  int level = 6;
  bool folderNames = true;
  bool folderEntries = true;
  bool hiddenFiles = false;
  bool volumeLabel = false;
  bool freshen = false;
  bool update = false;
  bool move = false;
  bool zipTime = false;
  bool forceDos = false;
  bool archiveOnly = false;
  bool resetArchive = false;
  bool recycle = false;
  bool oemNames = false;
  bool deleteEntries = false;
  bool verbose = false;
  std::string tempFolder;
  std::optional<std::string> comment;
  const std::vector<std::byte>* input = nullptr;
  std::vector<std::byte>* output = nullptr;
  std::uint32_t memoryAttributes = 0;
  std::uint32_t memoryDosDateTime = 0;
};

struct CallbackEvent {
  EngineAction action = EngineAction::None;
  std::int32_t value1 = 0;
  std::intptr_t value2 = 0;
  std::string text;
  std::string comment;  // action 12 only
  std::int32_t isZip = 0;
};

class RecordingCallback {
 public:
  std::vector<CallbackEvent> events;
  std::map<std::string, std::string> newNames;  // offered name -> answer
  std::map<std::string, std::string> comments;  // file name -> comment answered
  std::optional<std::string> password;          // answer to action 8; nothing: no password
  std::function<bool(const CallbackEvent&)> stopWhen;

  [[nodiscard]] std::vector<CallbackEvent> Of(EngineAction action) const;
  [[nodiscard]] std::vector<std::string> TextsOf(EngineAction action) const;
  static std::int32_t ENGINE_CALL Answer(EngineCallbackRecord* record);

 private:
  std::int32_t Handle(EngineCallbackRecord& record);
};

using ExecFunction = std::int32_t(ENGINE_CALL*)(void*);

// The engine linked into the test program.
[[nodiscard]] ExecFunction LinkedEngine();
// ZipDllExec of the built library, loaded once from the bin folder; null when it
// cannot be loaded.
[[nodiscard]] ExecFunction LibraryEngine();
[[nodiscard]] void* LibraryEntry(const char* name);

struct RunResult {
  std::int32_t count = 0;
  std::uint32_t outputSize = 0;  // what the engine wrote back for memory output
};

[[nodiscard]] RunResult RunZip(ExecFunction exec, const ZipRequest& request, RecordingCallback& callback);

}  // namespace engines::zip::testing
