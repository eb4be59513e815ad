// Extraction through both ways of reaching the engine: linked into the test, and
// the built library loaded from the bin folder through its exported entry point.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engines/engine_protocol.h"
#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/unzip/test_archive_writer.h"

namespace engines::unzip::testing {
namespace {

namespace fs = std::filesystem;

class Extraction : public ::testing::TestWithParam<EngineAccess> {
 protected:
  void SetUp() override {
    exec_ = EngineFor(GetParam());
    ASSERT_NE(exec_, nullptr) << "the unzip library cannot be loaded";
  }

  std::int32_t Run(const UnzipRequest& request) { return RunEngine(exec_, request, callback_); }

  UnzipRequest RequestFor(const fs::path& archive) const {
    UnzipRequest request;
    request.archive = archive.string();
    request.baseFolder = output_.Path().string();
    return request;
  }

  fs::path WriteArchive(const std::vector<TestEntry>& entries, const std::string& name = "test.zip") {
    const fs::path path = input_ / name;
    WriteBytes(path, BuildArchive(entries).bytes);
    return path;
  }

  ExecFunction exec_ = nullptr;
  RecordingCallback callback_;
  ScratchFolder input_;
  ScratchFolder output_;
};

void ExpectSameTree(const fs::path& expected, const fs::path& actual, const std::string& what) {
  const std::vector<std::string> files = ListFiles(expected);
  ASSERT_EQ(ListFiles(actual), files) << what;
  for (const std::string& file : files) {
    EXPECT_EQ(ReadText(actual / fs::u8path(file)), ReadText(expected / fs::u8path(file))) << what << ": " << file;
  }
}

struct ToolArchive {
  const char* file;
  const char* tree;
  const char* password;
};

constexpr ToolArchive ToolArchives[] = {
    {"infozip-stored.zip", "tree", ""},
    {"infozip-deflated.zip", "tree", ""},
    {"infozip-encrypted.zip", "tree", "secret"},
    {"infozip-comments.zip", "tree", ""},
    {"infozip-piped.zip", "tree", ""},
    {"sfx-prefixed.zip", "tree", ""},
    {"sfx-adjusted.zip", "tree", ""},
    {"7z.zip", "tree", ""},
    {"bsdtar.zip", "tree", ""},
    {"python-stored.zip", "tree", ""},
    {"python-deflated.zip", "tree", ""},
    {"utf8-python.zip", "utf8-tree", ""},
    {"utf8-bsdtar.zip", "utf8-tree", ""},
};

TEST_P(Extraction, ArchivesMadeByZipToolsExtractToTheirTrees) {
  const fs::path fixtures = FixtureFolder();
  if (fixtures.empty()) {
    GTEST_SKIP() << "no fixture archives next to the test (made at build time by make_fixtures.py)";
  }
  for (const ToolArchive& tool : ToolArchives) {
    if (!fs::exists(fixtures / tool.file)) {
      ADD_FAILURE() << tool.file << " was not made at build time; is its tool installed?";
      continue;
    }
    const fs::path target = output_ / tool.file;
    fs::create_directories(target);
    UnzipRequest request = RequestFor(fixtures / tool.file);
    request.baseFolder = target.string();
    request.password = tool.password;
    callback_.events.clear();
    const std::int32_t extracted = Run(request);
    EXPECT_EQ(static_cast<std::size_t>(extracted), ListFiles(fixtures / tool.tree).size()) << tool.file;
    EXPECT_TRUE(callback_.Of(EngineAction::FileSkipped).empty()) << tool.file;
    ExpectSameTree(fixtures / tool.tree, target, tool.file);
  }
}

TEST_P(Extraction, TestOnlyDecodesEverythingAndWritesNothing) {
  const fs::path fixtures = FixtureFolder();
  if (fixtures.empty()) {
    GTEST_SKIP() << "no fixture archives next to the test";
  }
  for (const ToolArchive& tool : ToolArchives) {
    UnzipRequest request = RequestFor(fixtures / tool.file);
    request.test = true;
    request.password = tool.password;
    EXPECT_EQ(static_cast<std::size_t>(Run(request)), ListFiles(fixtures / tool.tree).size()) << tool.file;
  }
  EXPECT_TRUE(ListFiles(output_.Path()).empty());
  EXPECT_TRUE(fs::is_empty(output_.Path()));
}

TEST_P(Extraction, CallbacksAnnounceTheBatchThenEachFileThenTheEnd) {
  const std::string big(600 * 1024, 'x');  // more than one piece of progress when streamed
  const fs::path archive = WriteArchive({
      {.name = "a.txt", .content = "alpha", .comment = "first file"},
      {.name = "sub/", .content = ""},
      {.name = "sub/b.txt", .content = big, .storeAs = StoreAs::Stored},
  });
  ASSERT_EQ(Run(RequestFor(archive)), 2);

  const std::vector<CallbackEvent>& events = callback_.events;
  ASSERT_GE(events.size(), 6u);
  EXPECT_EQ(events[0].action, EngineAction::FileCount);
  EXPECT_EQ(events[0].value2, 2);
  EXPECT_EQ(events[1].action, EngineAction::TotalSize);
  EXPECT_EQ(events[1].value2, static_cast<std::intptr_t>(5 + big.size()));
  EXPECT_EQ(events.back().action, EngineAction::BatchEnd);

  const std::vector<CallbackEvent> files = callback_.Of(EngineAction::NewFile);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].text, "a.txt");
  EXPECT_EQ(files[0].value2, 5);
  EXPECT_EQ(files[1].text, "sub/b.txt");
  EXPECT_EQ(files[1].value2, static_cast<std::intptr_t>(big.size()));

  const std::vector<CallbackEvent> comments = callback_.Of(EngineAction::FileComment);
  ASSERT_EQ(comments.size(), 1u);
  EXPECT_EQ(comments[0].text, "a.txt");
  EXPECT_EQ(comments[0].comment, "first file");
  EXPECT_EQ(comments[0].value2, 10);

  std::intptr_t bytesDone = 0;
  for (const CallbackEvent& event : callback_.Of(EngineAction::BytesDone)) {
    bytesDone += event.value2;
  }
  EXPECT_EQ(bytesDone, static_cast<std::intptr_t>(5 + big.size()));
  EXPECT_GT(callback_.Of(EngineAction::BytesDone).size(), 2u);
  EXPECT_EQ(ReadText(output_ / "sub" / "b.txt"), big);
}

TEST_P(Extraction, SpecificationsSelectEntriesByTheDocumentedRules) {
  const std::vector<std::string> names = {"readme.txt", "docs/guide.txt", "docs/readme.txt", "docs/deep/notes.md",
                                          "src/main.cpp", "src/Main.h"};
  std::vector<TestEntry> entries;
  for (const std::string& name : names) {
    entries.push_back({.name = name, .content = "content of " + name});
  }
  const fs::path archive = WriteArchive(entries);
  struct Case {
    std::vector<std::string> specifications;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{}, {"docs/deep/notes.md", "docs/guide.txt", "docs/readme.txt", "readme.txt", "src/Main.h", "src/main.cpp"}},
      {{"readme.txt"}, {"docs/readme.txt", "readme.txt"}},
      {{"docs\\*"}, {"docs/deep/notes.md", "docs/guide.txt", "docs/readme.txt"}},
      {{"docs/"}, {"docs/deep/notes.md", "docs/guide.txt", "docs/readme.txt"}},
      {{"*.md"}, {"docs/deep/notes.md"}},
      {{"src/?ain.*"}, {"src/Main.h", "src/main.cpp"}},
      {{"DOCS\\GUIDE.TXT"}, {"docs/guide.txt"}},
      {{".\\src\\main.cpp"}, {"src/main.cpp"}},
      {{"*.h", "docs/g*"}, {"docs/guide.txt", "src/Main.h"}},
      {{"docs/?.txt"}, {}},
  };
  for (const Case& entry : cases) {
    ScratchFolder target;
    UnzipRequest request = RequestFor(archive);
    request.baseFolder = target.Path().string();
    request.specifications = entry.specifications;
    callback_.events.clear();
    EXPECT_EQ(static_cast<std::size_t>(Run(request)), entry.expected.size());
    EXPECT_EQ(ListFiles(target.Path()), entry.expected) << ::testing::PrintToString(entry.specifications);
  }
  const std::vector<CallbackEvent> messages = callback_.Of(EngineAction::Message);
  ASSERT_EQ(messages.size(), 1u) << "the last case matches nothing";
  EXPECT_EQ(messages[0].value1, static_cast<std::int32_t>(UnzipErrorValue::NothingMatched));
}

TEST_P(Extraction, WithoutFolderNamesOnlyTheNamePartIsUsed) {
  const fs::path archive = WriteArchive({
      {.name = "top.txt", .content = "top"},
      {.name = "docs/", .content = ""},
      {.name = "docs/deep/guide.txt", .content = "guide"},
      {.name = "other/top.txt", .content = "second top"},
  });
  UnzipRequest request = RequestFor(archive);
  request.directoryNames = false;
  EXPECT_EQ(Run(request), 2);
  EXPECT_EQ(ListFiles(output_.Path()), (std::vector<std::string>{"guide.txt", "top.txt"}));
  EXPECT_EQ(ReadText(output_ / "top.txt"), "top");
  // The second top.txt meets the first: asked, default no, skipped.
  const std::vector<CallbackEvent> skipped = callback_.Of(EngineAction::FileSkipped);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].text, "other/top.txt");
  EXPECT_EQ(skipped[0].value2, static_cast<std::intptr_t>(UnzipSkipReason::NotOverwritten));
}

enum class Rule { Plain, Overwrite, Freshen, Update };

struct ReplacementCase {
  const char* what;
  Rule rule;
  bool existing;
  std::uint32_t entryDate;
  std::optional<bool> answer;  // the caller's overwrite answer
  bool replaced;
  std::optional<UnzipSkipReason> skip;
};

constexpr std::uint32_t Older = DosDateTime(2020, 1, 1, 8, 0, 0);
constexpr std::uint32_t Newer = DosDateTime(2022, 1, 1, 8, 0, 0);

TEST_P(Extraction, ExistingFilesFollowOverwriteFreshenAndUpdate) {
  const ReplacementCase cases[] = {
      {"plain, default answer no", Rule::Plain, true, Newer, std::nullopt, false, UnzipSkipReason::NotOverwritten},
      {"plain, caller says yes", Rule::Plain, true, Older, true, true, std::nullopt},
      {"overwrite, even an older entry", Rule::Overwrite, true, Older, std::nullopt, true, std::nullopt},
      {"overwrite, caller says no", Rule::Overwrite, true, Newer, false, false, UnzipSkipReason::NotOverwritten},
      {"freshen, newer entry", Rule::Freshen, true, Newer, std::nullopt, true, std::nullopt},
      {"freshen, older entry", Rule::Freshen, true, Older, std::nullopt, false, UnzipSkipReason::ExistingNotOlder},
      {"freshen, no file", Rule::Freshen, false, Newer, std::nullopt, false, UnzipSkipReason::NotPresent},
      {"update, older entry", Rule::Update, true, Older, std::nullopt, false, UnzipSkipReason::ExistingNotOlder},
      {"update, newer entry", Rule::Update, true, Newer, std::nullopt, true, std::nullopt},
      {"update, no file", Rule::Update, false, Older, std::nullopt, true, std::nullopt},
  };
  const fs::path first = WriteArchive({{.name = "a.txt", .content = "old", .dosDateTime = DefaultDosDateTime}}, "v1.zip");
  for (const ReplacementCase& entry : cases) {
    ScratchFolder target;
    if (entry.existing) {
      UnzipRequest setup = RequestFor(first);
      setup.baseFolder = target.Path().string();
      ASSERT_EQ(Run(setup), 1) << entry.what;
    }
    const fs::path second = WriteArchive({{.name = "a.txt", .content = "new", .dosDateTime = entry.entryDate}}, "v2.zip");
    UnzipRequest request = RequestFor(second);
    request.baseFolder = target.Path().string();
    request.overwrite = entry.rule == Rule::Overwrite;
    request.freshen = entry.rule == Rule::Freshen;
    request.update = entry.rule == Rule::Update;
    callback_ = RecordingCallback{};
    callback_.overwrite = entry.answer;
    EXPECT_EQ(Run(request), entry.replaced ? 1 : 0) << entry.what;
    const fs::path file = target / "a.txt";
    if (entry.replaced) {
      EXPECT_EQ(ReadText(file), "new") << entry.what;
    } else if (entry.existing) {
      EXPECT_EQ(ReadText(file), "old") << entry.what;
    } else {
      EXPECT_FALSE(fs::exists(file)) << entry.what;
    }
    const std::vector<CallbackEvent> skipped = callback_.Of(EngineAction::FileSkipped);
    ASSERT_EQ(skipped.size(), entry.skip ? 1u : 0u) << entry.what;
    if (entry.skip) {
      EXPECT_EQ(skipped[0].value2, static_cast<std::intptr_t>(*entry.skip)) << entry.what;
    }
    for (const CallbackEvent& question : callback_.Of(EngineAction::OverwriteQuestion)) {
      const bool olderBit = (question.value1 & (1 << 16)) != 0;
      EXPECT_EQ(olderBit, entry.entryDate == Newer) << entry.what;
      EXPECT_EQ(question.value1 & 0xFFFF, 0) << entry.what;  // the entry's index
    }
  }
}

TEST_P(Extraction, ExtractedFilesCarryTheEntryDateAndReadOnlyAttribute) {
  const fs::path archive = WriteArchive({
      {.name = "locked.txt", .content = "locked", .externalAttributes = 0x01},
      {.name = "unix-locked.txt", .content = "unix", .hostSystem = 3, .externalAttributes = 0100444u << 16},
      {.name = "open.txt", .content = "open", .hostSystem = 3, .externalAttributes = 0100644u << 16},
  });
  ASSERT_EQ(Run(RequestFor(archive)), 3);
  const auto writable = [](const fs::path& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
  };
  EXPECT_FALSE(writable(output_ / "locked.txt"));
  EXPECT_FALSE(writable(output_ / "unix-locked.txt"));
  EXPECT_TRUE(writable(output_ / "open.txt"));

  // Extracting the same entry again under update: the date was kept, so it is not older.
  UnzipRequest again = RequestFor(archive);
  again.update = true;
  again.specifications = {"open.txt"};
  callback_ = RecordingCallback{};
  EXPECT_EQ(Run(again), 0);
  ASSERT_EQ(callback_.Of(EngineAction::FileSkipped).size(), 1u);
  EXPECT_EQ(callback_.Of(EngineAction::FileSkipped)[0].value2, static_cast<std::intptr_t>(UnzipSkipReason::ExistingNotOlder));
}

TEST_P(Extraction, VerboseModeTellsOfEachFileWithoutAnError) {
  UnzipRequest request = RequestFor(WriteArchive({{.name = "a.txt", .content = "a"}, {.name = "b.txt", .content = "b"}}));
  request.verbose = true;
  EXPECT_EQ(Run(request), 2);
  const std::vector<CallbackEvent> messages = callback_.Of(EngineAction::Message);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].value1, 0);
  EXPECT_NE(messages[1].text.find("b.txt"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothWays, Extraction, ::testing::Values(EngineAccess::Linked, EngineAccess::Library),
                         [](const ::testing::TestParamInfo<EngineAccess>& access) { return NameOf(access.param); });

}  // namespace
}  // namespace engines::unzip::testing
