// What the engine must never do, whatever the archive or the caller: write
// outside the base folder, leave a partial or unchecked file, or damage an
// existing file when an extraction fails.
#include <gtest/gtest.h>

#include <thread>

#include "engines/engine_protocol.h"
#include "platform/file_faults.h"
#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/unzip/test_archive_writer.h"

namespace engines::unzip::testing {
namespace {

namespace fs = std::filesystem;

class Safety : public ::testing::Test {
 protected:
  void TearDown() override { platform::file_faults::Clear(); }

  std::int32_t Run(const UnzipRequest& request) { return RunEngine(LinkedEngine(), request, callback_); }

  fs::path WriteArchive(const std::vector<TestEntry>& entries) {
    const fs::path path = scratch_ / "test.zip";
    WriteBytes(path, BuildArchive(entries).bytes);
    return path;
  }

  UnzipRequest RequestInto(const fs::path& archive) {
    fs::create_directories(base_);
    UnzipRequest request;
    request.archive = archive.string();
    request.baseFolder = base_.string();
    return request;
  }

  [[nodiscard]] std::vector<std::intptr_t> SkipReasons() const {
    std::vector<std::intptr_t> reasons;
    for (const CallbackEvent& event : callback_.Of(EngineAction::FileSkipped)) {
      reasons.push_back(event.value2);
    }
    return reasons;
  }

  RecordingCallback callback_;
  ScratchFolder scratch_;
  fs::path base_ = scratch_ / "base";
};

constexpr auto Reason(UnzipSkipReason reason) {
  return static_cast<std::intptr_t>(reason);
}

TEST_F(Safety, HostileNamesNeverWriteOutsideTheBaseFolder) {
  const std::string absoluteTarget = (scratch_ / "absolute.txt").string();
  const std::vector<std::string> hostile = {
      "../evil.txt",       "..\\evil.txt",      "a/../../evil.txt", "a\\..\\..\\evil.txt", "docs/./../../evil.txt",
      ".../evil.txt",      ".. /evil.txt",      absoluteTarget,     "/evil.txt",           "\\evil.txt",
      "\\\\server\\share\\evil.txt", "//server/share/evil.txt", "C:evil.txt", "C:\\evil.txt", "evil.txt:stream",
      "nul",               "dir/con.txt",       "what?.txt",        "",
  };
  std::vector<TestEntry> entries = {{.name = "ok.txt", .content = "fine"}};
  for (const std::string& name : hostile) {
    entries.push_back({.name = name, .content = "should never be written"});
  }
  UnzipRequest request = RequestInto(WriteArchive(entries));
  request.overwrite = true;
  EXPECT_EQ(Run(request), 1);

  EXPECT_EQ(ListFiles(scratch_.Path()), (std::vector<std::string>{"base/ok.txt", "test.zip"}));
  EXPECT_EQ(SkipReasons(), std::vector<std::intptr_t>(hostile.size(), Reason(UnzipSkipReason::UnsafeName)));
  for (const CallbackEvent& skip : callback_.Of(EngineAction::FileSkipped)) {
    EXPECT_EQ(skip.value1, static_cast<std::int32_t>(UnzipErrorValue::UnsafeName)) << skip.text;
  }
  EXPECT_EQ(callback_.Of(EngineAction::Message).size(), hostile.size()) << "each refusal says why";
}

TEST_F(Safety, ALinkOnTheWayOutOfTheBaseIsNotFollowed) {
  fs::create_directories(base_ / "real");
  fs::create_directories(scratch_ / "outside");
  std::error_code error;
  fs::create_directory_symlink(scratch_ / "outside", base_ / "escape", error);
  if (error) {
    GTEST_SKIP() << "symbolic links cannot be made here: " << error.message();
  }
  fs::create_directory_symlink(base_ / "real", base_ / "alias", error);
  ASSERT_FALSE(error);
  UnzipRequest request = RequestInto(WriteArchive({
      {.name = "escape/evil.txt", .content = "outside"},
      {.name = "escape/deeper/evil.txt", .content = "outside"},
      {.name = "alias/inside.txt", .content = "inside"},
  }));
  EXPECT_EQ(Run(request), 1);
  EXPECT_TRUE(fs::is_empty(scratch_ / "outside"));
  EXPECT_EQ(ReadText(base_ / "real" / "inside.txt"), "inside");
  EXPECT_EQ(SkipReasons(), (std::vector<std::intptr_t>{Reason(UnzipSkipReason::LinkOutsideBase), Reason(UnzipSkipReason::LinkOutsideBase)}));
}

struct CrcCase {
  const char* what;
  std::int32_t answer;  // value 1 answered to action 9
  bool kept;
};

TEST_F(Safety, ACrcErrorLeavesNoFileUnlessTheCallerKeepsIt) {
  const CrcCase cases[] = {
      {"no handler", 2, false},
      {"handler drops it", 0, false},
      {"handler keeps it", 1, true},
  };
  for (const StoreAs storeAs : {StoreAs::Stored, StoreAs::Deflated}) {
    for (const CrcCase& entry : cases) {
      ScratchFolder target;
      const std::string content(3000, 'c');
      BuiltArchive archive = BuildArchive({
          {.name = "existing.txt", .content = content, .storeAs = storeAs, .declaredCrc = 0x12345678},
          {.name = "new.txt", .content = content, .storeAs = storeAs, .declaredCrc = 0x12345678},
      });
      WriteBytes(target / "test.zip", archive.bytes);
      fs::create_directories(target / "base");
      WriteText(target / "base" / "existing.txt", "original");
      UnzipRequest request;
      request.archive = (target / "test.zip").string();
      request.baseFolder = (target / "base").string();
      request.overwrite = true;
      callback_ = RecordingCallback{};
      callback_.crcAnswer = entry.answer;
      EXPECT_EQ(Run(request), entry.kept ? 2 : 0) << entry.what;

      EXPECT_EQ(ReadText(target / "base" / "existing.txt"), entry.kept ? content : "original") << entry.what;
      EXPECT_EQ(fs::exists(target / "base" / "new.txt"), entry.kept) << entry.what;
      EXPECT_EQ(ListFiles(target / "base").size(), entry.kept ? 2u : 1u) << entry.what << ": no temporary file left";
      const std::vector<CallbackEvent> crcErrors = callback_.Of(EngineAction::CrcError);
      ASSERT_EQ(crcErrors.size(), 2u) << entry.what;
      EXPECT_EQ(static_cast<std::uint32_t>(crcErrors[0].value2), 0x12345678u);
      EXPECT_NE(static_cast<std::uint32_t>(crcErrors[0].value1), 0x12345678u);
    }
  }
}

TEST_F(Safety, CorruptStoredDataIsACrcError) {
  BuiltArchive archive = BuildArchive({{.name = "a.txt", .content = "some stored text", .storeAs = StoreAs::Stored}});
  archive.bytes[archive.dataOffsets[0] + 3] ^= std::byte{0x20};
  WriteBytes(scratch_ / "test.zip", archive.bytes);
  EXPECT_EQ(Run(RequestInto(scratch_ / "test.zip")), 0);
  EXPECT_TRUE(fs::is_empty(base_));
  EXPECT_EQ(SkipReasons(), (std::vector<std::intptr_t>{Reason(UnzipSkipReason::CrcError)}));
}

TEST_F(Safety, StoppingFromACallbackLeavesNoPartialFileAndNoLaterCallback) {
  const std::string big(2 * 1024 * 1024, 'b');
  for (const StoreAs storeAs : {StoreAs::Stored, StoreAs::Deflated}) {
    ScratchFolder target;
    WriteBytes(target / "test.zip", BuildArchive({{.name = "big.txt", .content = big, .storeAs = storeAs},
                                                  {.name = "later.txt", .content = "later"}})
                                        .bytes);
    fs::create_directories(target / "base");
    WriteText(target / "base" / "big.txt", "original");
    UnzipRequest request;
    request.archive = (target / "test.zip").string();
    request.baseFolder = (target / "base").string();
    request.overwrite = true;
    callback_ = RecordingCallback{};
    callback_.stopWhen = [](const CallbackEvent& event) { return event.action == EngineAction::BytesDone; };
    EXPECT_EQ(Run(request), 0);
    EXPECT_EQ(ListFiles(target / "base"), std::vector<std::string>{"big.txt"});
    EXPECT_EQ(ReadText(target / "base" / "big.txt"), "original");
    EXPECT_EQ(callback_.events.back().action, EngineAction::BytesDone) << "nothing after the stop";
    EXPECT_EQ(callback_.Of(EngineAction::BytesDone).size(), 1u);
  }
}

TEST_F(Safety, StoppingBetweenFilesKeepsTheFilesAlreadyDone) {
  UnzipRequest request = RequestInto(WriteArchive({{.name = "one.txt", .content = "1"}, {.name = "two.txt", .content = "2"}}));
  callback_.stopWhen = [](const CallbackEvent& event) {
    return event.action == EngineAction::NewFile && event.text == "two.txt";
  };
  EXPECT_EQ(Run(request), 1);
  EXPECT_EQ(ListFiles(base_), std::vector<std::string>{"one.txt"});
}

// A long run of entries, some damaged and some passed over, more bytes than any
// one buffer holds: each is reported in archive order, and only good ones stay.
TEST_F(Safety, DamagedAndPassedOverEntriesAmongManyAreReportedInArchiveOrder) {
  fs::create_directories(base_);
  std::vector<TestEntry> entries;
  std::vector<std::intptr_t> expectedSkips;
  for (int index = 0; index < 40; ++index) {
    const std::size_t size = index % 4 == 0 ? 100 + index : 200 * 1024 + index * 3000;
    // Appended piece by piece: GCC 12 misreads "f" + text + ".txt" as overlapping copies.
    std::string name = std::to_string(index);
    name.insert(0, 1, 'f');
    name.append(".txt");
    TestEntry entry{.name = name, .content = std::string(size, static_cast<char>('a' + index % 26))};
    if (index % 7 == 3) {
      entry.declaredCrc = 1234;
      expectedSkips.push_back(Reason(UnzipSkipReason::CrcError));
    } else if (index % 11 == 5) {
      entry.declaredUncompressedSize = static_cast<std::uint32_t>(entry.content.size() + 1);
      expectedSkips.push_back(Reason(UnzipSkipReason::DataError));
    } else if (index % 9 == 1) {
      WriteText(base_ / entry.name, "kept");
      expectedSkips.push_back(Reason(UnzipSkipReason::NotOverwritten));
    }
    entries.push_back(entry);
  }
  entries.push_back({.name = "large.txt", .content = std::string(5 * 1024 * 1024, 'L')});
  UnzipRequest request = RequestInto(WriteArchive(entries));
  EXPECT_EQ(Run(request), static_cast<std::int32_t>(entries.size() - expectedSkips.size()));

  EXPECT_EQ(SkipReasons(), expectedSkips);
  const std::vector<CallbackEvent> files = callback_.Of(EngineAction::NewFile);
  ASSERT_EQ(files.size(), entries.size());
  for (std::size_t index = 0; index < entries.size(); ++index) {
    EXPECT_EQ(files[index].text, entries[index].name);
  }
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const fs::path file = base_ / entries[index].name;
    if (index % 9 == 1 && index % 7 != 3 && index % 11 != 5) {
      EXPECT_EQ(ReadText(file), "kept");
    } else if (!entries[index].declaredCrc && !entries[index].declaredUncompressedSize) {
      EXPECT_EQ(ReadText(file), entries[index].content) << file;
    } else {
      EXPECT_FALSE(fs::exists(file)) << file;
    }
  }
  EXPECT_EQ(ListFiles(base_).size(), entries.size() - 9) << "no temporary file is left";

  // Stopping halfway leaves nothing of the entries after the stop.
  ScratchFolder fresh;
  callback_ = RecordingCallback{};
  callback_.stopWhen = [](const CallbackEvent& event) {
    return event.action == EngineAction::NewFile && event.text == "f20.txt";
  };
  request.baseFolder = fresh.Path().string();
  EXPECT_EQ(Run(request), 20 - 5);
  EXPECT_EQ(ListFiles(fresh.Path()).size(), 20u - 5) << "no temporary file is left";
  EXPECT_EQ(callback_.events.back().text, "f20.txt");
}

TEST_F(Safety, AFullDiskLeavesTheExistingFileUntouched) {
  const std::string content(3 * 1024 * 1024, 'w');
  for (const std::uint32_t successfulWrites : {0u, 1u, 2u}) {
    ScratchFolder target;
    WriteBytes(target / "test.zip", BuildArchive({{.name = "data.txt", .content = content}}).bytes);
    fs::create_directories(target / "base");
    WriteText(target / "base" / "data.txt", "original");
    UnzipRequest request;
    request.archive = (target / "test.zip").string();
    request.baseFolder = (target / "base").string();
    request.overwrite = true;
    callback_ = RecordingCallback{};
    platform::file_faults::Fail(platform::file_faults::Operation::Write, successfulWrites + 1,
                                platform::file_faults::Persistence::FromThenOn);
    EXPECT_EQ(Run(request), 0) << successfulWrites;
    platform::file_faults::Clear();
    EXPECT_EQ(ReadText(target / "base" / "data.txt"), "original") << successfulWrites;
    EXPECT_EQ(ListFiles(target / "base"), std::vector<std::string>{"data.txt"}) << successfulWrites;
    const std::vector<CallbackEvent> skipped = callback_.Of(EngineAction::FileSkipped);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].value2, Reason(UnzipSkipReason::WriteFailed));
    EXPECT_EQ(skipped[0].value1, static_cast<std::int32_t>(UnzipErrorValue::WriteError));
  }
}

struct LyingEntryCase {
  const char* what;
  std::string content;
  StoreAs storeAs;
  std::uint32_t declaredSize;
};

TEST_F(Safety, AnEntryNeverYieldsMoreOrFewerBytesThanDeclared) {
  const std::string large(34u * 1024 * 1024, 'L');  // beyond the whole-entry limit: streamed
  const LyingEntryCase cases[] = {
      {"deflated, declared smaller", std::string(5000, 'd'), StoreAs::Deflated, 100},
      {"deflated, declared larger", std::string(5000, 'd'), StoreAs::Deflated, 6000},
      {"stored, declared smaller", std::string(5000, 's'), StoreAs::Stored, 100},
      {"streamed, declared smaller", large, StoreAs::Deflated, 33u * 1024 * 1024},
      {"streamed, declared larger", std::string(5000, 'd'), StoreAs::Deflated, 40u * 1024 * 1024},
  };
  for (const LyingEntryCase& entry : cases) {
    ScratchFolder target;
    WriteBytes(target / "test.zip",
               BuildArchive({{.name = "liar.txt", .content = entry.content, .storeAs = entry.storeAs,
                              .declaredUncompressedSize = entry.declaredSize}})
                   .bytes);
    UnzipRequest request;
    request.archive = (target / "test.zip").string();
    request.baseFolder = target.Path().string();
    callback_ = RecordingCallback{};
    EXPECT_EQ(Run(request), 0) << entry.what;
    EXPECT_EQ(ListFiles(target.Path()), std::vector<std::string>{"test.zip"}) << entry.what;
    std::intptr_t produced = 0;
    for (const CallbackEvent& event : callback_.Of(EngineAction::BytesDone)) {
      produced += event.value2;
    }
    EXPECT_LE(produced, static_cast<std::intptr_t>(entry.declaredSize)) << entry.what;
    EXPECT_EQ(SkipReasons(), std::vector<std::intptr_t>{Reason(UnzipSkipReason::DataError)}) << entry.what;
  }
}

TEST_F(Safety, UnsupportedAndDamagedEntriesAreSkippedWithAReason) {
  BuiltArchive archive = BuildArchive({
      {.name = "bzip2.txt", .content = "x", .storeAs = StoreAs::Stored, .declaredMethod = 12},
      {.name = "strong.txt", .content = "x", .extraFlags = 0x0040},
      {.name = "damaged-header.txt", .content = "x"},
      {.name = "fine.txt", .content = "fine"},
  });
  // The third entry's local header signature is broken.
  const std::size_t localHeader = archive.dataOffsets[2] - 30 - std::string("damaged-header.txt").size();
  archive.bytes[localHeader] = std::byte{'X'};
  WriteBytes(scratch_ / "test.zip", archive.bytes);
  EXPECT_EQ(Run(RequestInto(scratch_ / "test.zip")), 1);
  EXPECT_EQ(ListFiles(base_), std::vector<std::string>{"fine.txt"});
  EXPECT_EQ(SkipReasons(), (std::vector<std::intptr_t>{Reason(UnzipSkipReason::UnsupportedMethod),
                                                       Reason(UnzipSkipReason::UnsupportedFeature),
                                                       Reason(UnzipSkipReason::DataError)}));
}

TEST_F(Safety, AnUnreadableArchiveIsReportedAndEndsTheBatch) {
  WriteText(scratch_ / "not-a-zip.zip", std::string(1000, 'n'));
  std::vector<std::byte> truncated = BuildArchive({{.name = "a.txt", .content = "a"}}).bytes;
  truncated.erase(truncated.end() - 30, truncated.end() - 22);  // cut into the central directory
  WriteBytes(scratch_ / "truncated.zip", truncated);
  struct Case {
    fs::path archive;
    UnzipErrorValue error;
  };
  const Case cases[] = {
      {scratch_ / "missing.zip", UnzipErrorValue::ArchiveUnreadable},
      {scratch_ / "not-a-zip.zip", UnzipErrorValue::FormatError},
      {scratch_ / "truncated.zip", UnzipErrorValue::FormatError},
  };
  for (const Case& entry : cases) {
    callback_ = RecordingCallback{};
    EXPECT_EQ(Run(RequestInto(entry.archive)), 0) << entry.archive;
    ASSERT_EQ(callback_.Actions(), (std::vector<EngineAction>{EngineAction::Message, EngineAction::BatchEnd}))
        << entry.archive;
    EXPECT_EQ(callback_.events[0].value1, static_cast<std::int32_t>(entry.error)) << entry.archive;
  }
  EXPECT_TRUE(fs::is_empty(base_));
}

TEST_F(Safety, ARecordThatCannotBeReadIsRefusedWithAMessage) {
  EXPECT_EQ(LinkedEngine()(nullptr), 0);
  UnzipRequest request = RequestInto(WriteArchive({{.name = "a.txt", .content = "a"}}));
  struct Case {
    const char* what;
    std::function<void(UnzipCommandRecord&)> spoil;
  };
  const Case cases[] = {
      {"wrong end marker", [](UnzipCommandRecord& record) { record.EndMarker = 0; }},
      {"old record version", [](UnzipCommandRecord& record) { record.Header.RecordVersion = 151; }},
      {"no archive", [](UnzipCommandRecord& record) { record.ArchivePath = nullptr; }},
      {"specifications missing", [](UnzipCommandRecord& record) {
         record.SpecificationCount = 2;
         record.Specifications = nullptr;
       }},
      {"memory input to disk", [](UnzipCommandRecord& record) { record.InputFromMemory = 1; }},
  };
  for (const Case& entry : cases) {
    callback_ = RecordingCallback{};
    CommandRecord record(request, callback_);
    entry.spoil(record.Record());
    EXPECT_EQ(LinkedEngine()(&record.Record()), 0) << entry.what;
    ASSERT_EQ(callback_.Actions(), std::vector<EngineAction>{EngineAction::Message}) << entry.what;
    EXPECT_EQ(callback_.events[0].value1, static_cast<std::int32_t>(UnzipErrorValue::BadCommand)) << entry.what;
  }
  EXPECT_TRUE(fs::is_empty(base_));
}

TEST_F(Safety, TwoCommandsAtOnceDoNotDisturbEachOther) {
  const std::string first(300000, '1');
  const std::string second(300000, '2');
  WriteBytes(scratch_ / "first.zip", BuildArchive({{.name = "a.txt", .content = first}, {.name = "b.txt", .content = first}}).bytes);
  WriteBytes(scratch_ / "second.zip", BuildArchive({{.name = "a.txt", .content = second, .password = "pw"}}).bytes);
  const auto extract = [this](const std::string& archive, const std::string& folder, const std::string& password,
                              std::int32_t& extracted) {
    fs::create_directories(scratch_ / folder);
    UnzipRequest request;
    request.archive = (scratch_ / archive).string();
    request.baseFolder = (scratch_ / folder).string();
    request.password = password;
    RecordingCallback callback;
    for (int round = 0; round < 20 && extracted >= 0; ++round) {
      request.overwrite = true;
      extracted = RunEngine(LinkedEngine(), request, callback) == 0 ? -1 : extracted + 1;
    }
  };
  std::int32_t firstRounds = 0;
  std::int32_t secondRounds = 0;
  std::thread one(extract, "first.zip", "one", "", std::ref(firstRounds));
  std::thread two(extract, "second.zip", "two", "pw", std::ref(secondRounds));
  one.join();
  two.join();
  EXPECT_EQ(firstRounds, 20);
  EXPECT_EQ(secondRounds, 20);
  EXPECT_EQ(ReadText(scratch_ / "one" / "b.txt"), first);
  EXPECT_EQ(ReadText(scratch_ / "two" / "a.txt"), second);
}

TEST_F(Safety, WithoutACallbackTheEngineRunsSilentlyOnDefaults) {
  UnzipRequest request = RequestInto(WriteArchive({{.name = "a.txt", .content = "a"}}));
  CommandRecord record(request, callback_);
  record.Record().Header.Callback = nullptr;
  EXPECT_EQ(LinkedEngine()(&record.Record()), 1);
  EXPECT_EQ(ReadText(base_ / "a.txt"), "a");
}

}  // namespace
}  // namespace engines::unzip::testing
