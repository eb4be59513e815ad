// Encryption, the questions the engine asks (new names, comments, passwords),
// the order of its reports, and stopping: a cancel or a failing write leaves the
// old archive exactly as it was.
#include "platform/file_faults.h"
#include "tests/engines/zip/zip_test_fixture.h"
#include "zipformat/records.h"

namespace engines::zip::testing {
namespace {

namespace zf = zipformat;
using Names = std::vector<std::string>;

const std::map<std::string, std::string> Tree = {
    {"src/a.txt", "alpha alpha alpha alpha"},
    {"src/b.txt", std::string(20000, 'b')},
    {"src/c.txt", "gamma"},
};

class Questions : public ZipEngineTest {
 protected:
  void SetUp() override { MakeTree(scratch_.Path(), Tree); }
};

TEST_F(Questions, ALinesPasswordEncryptsWhatItSelects) {
  ZipRequest request = AddEverything();
  request.specifications = {{.text = "src/a.txt", .password = "secret", .rootFolder = scratch_.Path().string()},
                            {.text = "src/b.txt", .password = "secret", .rootFolder = scratch_.Path().string()},
                            {.text = "src/c.txt", .rootFolder = scratch_.Path().string()}};
  EXPECT_EQ(Run(request).count, 3);
  const InspectedArchive archive = Inspect(ArchivePath());
  EXPECT_NE(archive.Find("src/a.txt")->central.flags & zf::general_flag::Encrypted, 0);
  EXPECT_NE(archive.Find("src/b.txt")->central.flags & zf::general_flag::Encrypted, 0);
  EXPECT_EQ(archive.Find("src/c.txt")->central.flags & zf::general_flag::Encrypted, 0);
  ExpectArchiveHolds(Tree, "secret");
  EXPECT_EQ(ExtractWithUnzipEngine(ArchivePath(), "wrong"), (std::map<std::string, std::string>{{"src/c.txt", "gamma"}}));
}

TEST_F(Questions, ALargeEncryptedFileCarriesADataDescriptorDeflatedOrStored) {
  const std::string large = TextOfSize(9 * 1024 * 1024 + 99);
  MakeFile(scratch_ / "big" / "large.txt", large);
  for (const int level : {6, 0}) {
    ZipRequest request = AddEverything();
    request.level = level;
    request.specifications = {{.text = "big/large.txt", .password = "pieces", .rootFolder = scratch_.Path().string()}};
    EXPECT_EQ(Run(request).count, 1);
    const zf::CentralHeader header = Inspect(ArchivePath()).Find("big/large.txt")->central;
    EXPECT_NE(header.flags & zf::general_flag::DataDescriptor, 0);
    EXPECT_EQ(header.method, level == 0 ? zf::compression_method::Stored : zf::compression_method::Deflated);
    ExpectArchiveHolds({{"big/large.txt", large}}, "pieces");
  }
}

TEST_F(Questions, EncryptionWithoutAPasswordAsksOnceAndUsesTheAnswer) {
  ZipRequest request = AddEverything();
  request.specifications[0].encrypt = true;
  callback_.password = "given";
  EXPECT_EQ(Run(request).count, 3);
  EXPECT_EQ(callback_.Of(EngineAction::PasswordRequest).size(), 1u);
  ExpectArchiveHolds(Tree, "given");
}

TEST_F(Questions, ThePasswordRequestAsksForANewPassword) {
  ZipRequest request = AddEverything();
  request.specifications[0].encrypt = true;
  callback_.password = "given";
  EXPECT_EQ(Run(request).count, 3);
  const std::vector<CallbackEvent> requests = callback_.Of(EngineAction::PasswordRequest);
  ASSERT_EQ(requests.size(), 1u);
  // Bit 0 of value 1 makes the component ask twice and compare, as for any
  // password that files are about to be encrypted with.
  EXPECT_EQ(requests[0].value1 & 1, 1);
  EXPECT_NE(requests[0].isZip, 0);
  EXPECT_NE(requests[0].text, "") << "the request names the file";
}

TEST_F(Questions, EncryptionWithoutAnyPasswordAddsNothing) {
  ZipRequest request = AddEverything();
  request.specifications[0].encrypt = true;
  EXPECT_EQ(Run(request).count, 0);
  EXPECT_FALSE(std::filesystem::exists(ArchivePath()));
  const std::vector<CallbackEvent> messages = callback_.Of(EngineAction::Message);
  EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const auto& event) { return event.value1 == 8; }))
      << "PasswordMissing";
}

TEST_F(Questions, ReportsComeInOrderFromTheZipEngine) {
  EXPECT_EQ(Run(AddEverything()).count, 3);
  std::vector<EngineAction> progress;
  for (const CallbackEvent& event : callback_.events) {
    EXPECT_EQ(event.isZip, 1);
    if (event.action != EngineAction::NewName && event.action != EngineAction::FileComment &&
        event.action != EngineAction::BytesDone) {
      progress.push_back(event.action);
    }
  }
  EXPECT_EQ(progress, (std::vector<EngineAction>{EngineAction::FileCount, EngineAction::TotalSize, EngineAction::NewFile,
                                                 EngineAction::NewFile, EngineAction::NewFile, EngineAction::BatchEnd}));
  EXPECT_EQ(callback_.Of(EngineAction::FileCount)[0].value2, 3);
  std::intptr_t total = 0;
  for (const auto& [name, content] : Tree) {
    total += static_cast<std::intptr_t>(content.size());
  }
  EXPECT_EQ(callback_.Of(EngineAction::TotalSize)[0].value2, total);
  std::intptr_t done = 0;
  for (const CallbackEvent& event : callback_.Of(EngineAction::BytesDone)) {
    done += event.value2;
  }
  EXPECT_EQ(done, total);
  EXPECT_EQ(callback_.TextsOf(EngineAction::NewFile), (Names{"src/a.txt", "src/b.txt", "src/c.txt"}));
  EXPECT_EQ(callback_.Of(EngineAction::NewFile)[1].value2, 20000);
}

TEST_F(Questions, NewNamesAndCommentsFromTheCaller) {
  callback_.newNames = {{"src/a.txt", "renamed\\first.txt"}, {"src/b.txt", "../escape.txt"}};
  callback_.comments = {{"renamed/first.txt", "a comment"}};
  EXPECT_EQ(Run(AddEverything()).count, 2);
  const InspectedArchive archive = Inspect(ArchivePath());
  EXPECT_EQ(archive.Names(), (Names{"renamed/first.txt", "src/c.txt"}));
  EXPECT_EQ(archive.Find("renamed/first.txt")->comment, "a comment");
  EXPECT_EQ(archive.Find("src/c.txt")->comment, "");
  const std::vector<CallbackEvent> messages = callback_.Of(EngineAction::Message);
  EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const auto& event) { return event.value1 == 6; }))
      << "NameRefused for the escaping name";
  ExpectArchiveHolds({{"renamed/first.txt", Tree.at("src/a.txt")}, {"src/c.txt", "gamma"}});
}

TEST_F(Questions, VerboseCommandsSayWhatTheyDoToEachEntry) {
  ZipRequest request = AddEverything();
  request.verbose = true;
  EXPECT_EQ(Run(request).count, 3);
  const std::vector<std::string> messages = callback_.TextsOf(EngineAction::Message);
  const InspectedArchive archive = Inspect(ArchivePath());
  ASSERT_EQ(messages.size(), archive.entries.size());
  for (std::size_t index = 0; index < messages.size(); ++index) {
    const InspectedEntry& entry = archive.entries[index];
    const std::string how = entry.central.method == zf::compression_method::Deflated ? "deflated" : "stored";
    EXPECT_TRUE(messages[index].starts_with("adding: " + entry.name + " (" + how + " ")) << messages[index];
    EXPECT_TRUE(messages[index].ends_with("%)")) << messages[index];
  }
  callback_.events.clear();
  request.deleteEntries = true;
  request.specifications = {{.text = "*c.txt"}};
  EXPECT_EQ(Run(request).count, 1);
  EXPECT_EQ(callback_.TextsOf(EngineAction::Message), Names{"deleting: src/c.txt"});
}

class Stopping : public Questions, public ::testing::WithParamInterface<EngineAction> {};

TEST_P(Stopping, LeavesTheOldArchiveExactlyAsItWas) {
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/a.txt";
  ASSERT_EQ(Run(request).count, 1);
  const std::vector<std::byte> before = ReadBytes(ArchivePath());
  int seen = 0;
  callback_.stopWhen = [&seen](const CallbackEvent& event) { return event.action == GetParam() && ++seen == 2; };
  request.specifications[0].text = "src/*";
  EXPECT_EQ(Run(request).count, 0);
  EXPECT_EQ(seen, 2) << "the stop answer was given";
  EXPECT_EQ(ReadBytes(ArchivePath()), before);
  EXPECT_EQ(unzip::testing::ListFiles(scratch_.Path()), (Names{"out.zip", "src/a.txt", "src/b.txt", "src/c.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Questions, Stopping,
                         ::testing::Values(EngineAction::NewName, EngineAction::NewFile, EngineAction::BytesDone,
                                           EngineAction::FileComment),
                         [](const auto& named) { return "At" + std::to_string(static_cast<int>(named.param)); });

TEST_F(Questions, AFailingWriteLeavesTheOldArchiveAndTheSourcesOfAMove) {
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/a.txt";
  ASSERT_EQ(RunZip(LinkedEngine(), request, callback_).count, 1);
  const std::vector<std::byte> before = ReadBytes(ArchivePath());
  // Three megabytes of noise take four writes of the one-megabyte buffer.
  MakeFile(Source() / "d.bin", RandomBytes(3 * 1024 * 1024, 8));
  request.specifications[0].text = "src/*";
  request.move = true;
  for (std::uint32_t successfulWrites = 0; successfulWrites < 4; ++successfulWrites) {
    platform::file_faults::Fail(platform::file_faults::Operation::Write, successfulWrites + 1,
                                platform::file_faults::Persistence::FromThenOn);
    EXPECT_EQ(RunZip(LinkedEngine(), request, callback_).count, 0) << successfulWrites;
    platform::file_faults::Clear();
    EXPECT_EQ(ReadBytes(ArchivePath()), before) << successfulWrites;
    EXPECT_EQ(unzip::testing::ListFiles(scratch_.Path()),
              (Names{"out.zip", "src/a.txt", "src/b.txt", "src/c.txt", "src/d.bin"}));
    ASSERT_FALSE(callback_.Of(EngineAction::Message).empty());
    EXPECT_EQ(callback_.Of(EngineAction::Message).back().value1, 9) << "WriteError";
  }
}

}  // namespace
}  // namespace engines::zip::testing
