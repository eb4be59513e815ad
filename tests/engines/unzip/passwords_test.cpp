#include <gtest/gtest.h>

#include <span>

#include "engines/shared/crc32.h"
#include "engines/shared/traditional_encryption.h"
#include "engines/engine_protocol.h"
#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/unzip/test_archive_writer.h"
#include "zipformat/records.h"

namespace engines::unzip::testing {
namespace {

namespace fs = std::filesystem;

class Passwords : public ::testing::Test {
 protected:
  std::int32_t Run(const std::vector<TestEntry>& entries) {
    WriteBytes(scratch_ / "test.zip", BuildArchive(entries).bytes);
    request_.archive = (scratch_ / "test.zip").string();
    request_.baseFolder = (scratch_ / "out").string();
    fs::create_directories(scratch_ / "out");
    return RunEngine(LinkedEngine(), request_, callback_);
  }

  [[nodiscard]] std::vector<std::intptr_t> RequestCounts() const {
    std::vector<std::intptr_t> counts;
    for (const CallbackEvent& event : callback_.Of(EngineAction::PasswordRequest)) {
      counts.push_back(event.value2);
    }
    return counts;
  }

  [[nodiscard]] std::vector<std::intptr_t> SkipReasons() const {
    std::vector<std::intptr_t> reasons;
    for (const CallbackEvent& event : callback_.Of(EngineAction::FileSkipped)) {
      reasons.push_back(event.value2);
    }
    return reasons;
  }

  ScratchFolder scratch_;
  UnzipRequest request_;
  RecordingCallback callback_;
};

constexpr auto Reason(UnzipSkipReason reason) {
  return static_cast<std::intptr_t>(reason);
}

TEST_F(Passwords, TheCommandPasswordOpensEveryKindOfEncryptedEntry) {
  request_.password = "secret";
  EXPECT_EQ(Run({
                {.name = "deflated.txt", .content = "deflated text", .password = "secret"},
                {.name = "stored.txt", .content = "stored text", .storeAs = StoreAs::Stored, .password = "secret"},
                // With a data descriptor the check byte comes from the time.
                {.name = "descriptor.txt", .content = "descriptor text", .password = "secret",
                 .descriptor = Descriptor::AfterData},
            }),
            3);
  EXPECT_EQ(ReadText(scratch_ / "out" / "deflated.txt"), "deflated text");
  EXPECT_EQ(ReadText(scratch_ / "out" / "stored.txt"), "stored text");
  EXPECT_EQ(ReadText(scratch_ / "out" / "descriptor.txt"), "descriptor text");
  EXPECT_TRUE(callback_.Of(EngineAction::PasswordRequest).empty());
}

TEST_F(Passwords, AWrongPasswordThenTheRightOneThroughRequests) {
  request_.password = "wrong";
  request_.passwordRequests = 3;
  callback_.passwords = {{.password = "also wrong"}, {.password = "secret"}};
  EXPECT_EQ(Run({{.name = "a.txt", .content = "alpha", .password = "secret"}}), 1);
  EXPECT_EQ(ReadText(scratch_ / "out" / "a.txt"), "alpha");
  EXPECT_EQ(RequestCounts(), (std::vector<std::intptr_t>{3, 2}));
  EXPECT_EQ(callback_.Of(EngineAction::PasswordRequest)[0].text, "a.txt");
}

TEST_F(Passwords, APasswordThatWorkedIsTriedFirstForTheNextEntries) {
  request_.passwordRequests = 1;
  callback_.passwords = {{.password = "secret"}};
  EXPECT_EQ(Run({{.name = "a.txt", .content = "a", .password = "secret"},
                 {.name = "b.txt", .content = "b", .password = "secret"}}),
            2);
  EXPECT_EQ(RequestCounts().size(), 1u);
}

struct FailureCase {
  const char* what;
  std::uint32_t requests;
  std::deque<PasswordReply> replies;
  std::vector<std::intptr_t> expectedCounts;
  std::vector<std::intptr_t> expectedSkips;
};

TEST_F(Passwords, RequestsEndAsTheCallerSays) {
  const FailureCase cases[] = {
      {"no requests allowed", 0, {}, {}, {Reason(UnzipSkipReason::PasswordMissing), Reason(UnzipSkipReason::PasswordMissing)}},
      {"caller has no password", 2, {}, {2, 2}, {Reason(UnzipSkipReason::PasswordMissing), Reason(UnzipSkipReason::PasswordMissing)}},
      {"every answer wrong", 2,
       {{.password = "x"}, {.password = "y"}, {.password = "z"}, {.password = "w"}},
       {2, 1, 2, 1},
       {Reason(UnzipSkipReason::PasswordWrong), Reason(UnzipSkipReason::PasswordWrong)}},
      {"cancel all on the first request", 3,
       {{.cancelAll = true}},
       {3},
       {Reason(UnzipSkipReason::PasswordMissing), Reason(UnzipSkipReason::PasswordMissing)}},
      // The first entry gets one request only; for the second, 40 cannot raise the 5.
      {"caller lowers the count, never raises it", 5,
       {{.password = "x", .requestsLeft = 1}, {.password = "y", .requestsLeft = 40}},
       {5, 5, 4},
       {Reason(UnzipSkipReason::PasswordWrong), Reason(UnzipSkipReason::PasswordWrong)}},
  };
  for (const FailureCase& entry : cases) {
    ScratchFolder fresh;
    callback_ = RecordingCallback{};
    callback_.passwords = entry.replies;
    request_.passwordRequests = entry.requests;
    WriteBytes(fresh / "test.zip", BuildArchive({{.name = "a.txt", .content = "a", .password = "secret"},
                                                 {.name = "b.txt", .content = "b", .password = "secret"}})
                                       .bytes);
    request_.archive = (fresh / "test.zip").string();
    request_.baseFolder = fresh.Path().string();
    EXPECT_EQ(RunEngine(LinkedEngine(), request_, callback_), 0) << entry.what;
    EXPECT_EQ(ListFiles(fresh.Path()), std::vector<std::string>{"test.zip"}) << entry.what;
    EXPECT_EQ(RequestCounts(), entry.expectedCounts) << entry.what;
    EXPECT_EQ(SkipReasons(), entry.expectedSkips) << entry.what;
    for (const CallbackEvent& skip : callback_.Of(EngineAction::FileSkipped)) {
      EXPECT_EQ(skip.value1, static_cast<std::int32_t>(UnzipErrorValue::PasswordError)) << entry.what;
    }
  }
}

// One wrong password in 256 passes the check byte of the encryption header; the
// data then fails to decode. Such a password is found here by trying candidates.
class FalselyAcceptedPassword : public Passwords {
 protected:
  const TestEntry secretEntry_{.name = "a.txt",
                               .content = std::string(3000, 'q') + " the text that a wrong key garbles",
                               .password = "secret"};

  // A password other than "secret" that the check byte of the entry accepts.
  [[nodiscard]] std::string FindImpostor() const {
    const BuiltArchive archive = BuildArchive({secretEntry_});
    const std::span<const std::byte, shared::EncryptionHeaderSize> header(
        archive.bytes.data() + archive.dataOffsets[0], shared::EncryptionHeaderSize);
    const std::uint8_t checkByte = shared::EncryptionCheckByte(
        zipformat::general_flag::Encrypted,
        shared::UpdateCrc32(0, std::as_bytes(std::span(secretEntry_.content))), secretEntry_.dosDateTime);
    for (int candidate = 0;; ++candidate) {
      const std::string password = "impostor" + std::to_string(candidate);
      if (shared::OpenEncryptedEntry(password, header, checkByte)) {
        return password;
      }
    }
  }

  void WriteArchive(const std::vector<TestEntry>& entries) {
    WriteBytes(scratch_ / "test.zip", BuildArchive(entries).bytes);
    request_.archive = (scratch_ / "test.zip").string();
    request_.baseFolder = (scratch_ / "out").string();
    fs::create_directories(scratch_ / "out");
  }

  [[nodiscard]] bool ReportedDamaged() const {
    const std::vector<std::intptr_t> reasons = SkipReasons();
    return reasons == std::vector<std::intptr_t>{Reason(UnzipSkipReason::CrcError)} ||
           reasons == std::vector<std::intptr_t>{Reason(UnzipSkipReason::DataError)};
  }
};

TEST_F(FalselyAcceptedPassword, FromARequestItIsAskedAgainAndTheRightOneExtracts) {
  WriteArchive({secretEntry_});
  request_.passwordRequests = 3;
  callback_.passwords = {{.password = FindImpostor()}, {.password = "secret"}};
  EXPECT_EQ(RunEngine(LinkedEngine(), request_, callback_), 1);
  EXPECT_EQ(ReadText(scratch_ / "out" / "a.txt"), secretEntry_.content);
  EXPECT_EQ(ListFiles(scratch_ / "out"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(RequestCounts(), (std::vector<std::intptr_t>{3, 2}));
  EXPECT_TRUE(callback_.Of(EngineAction::CrcError).empty());
  EXPECT_TRUE(SkipReasons().empty());
}

TEST_F(FalselyAcceptedPassword, ARememberedOneIsReplacedThroughARequest) {
  // The impostor is the true password of "b.txt", so it is remembered when "a.txt" comes.
  const std::string impostor = FindImpostor();
  WriteArchive({{.name = "b.txt", .content = "b", .password = impostor}, secretEntry_});
  request_.passwordRequests = 2;
  callback_.passwords = {{.password = impostor}, {.password = "secret"}};
  EXPECT_EQ(RunEngine(LinkedEngine(), request_, callback_), 2);
  EXPECT_EQ(ReadText(scratch_ / "out" / "a.txt"), secretEntry_.content);
  EXPECT_EQ(RequestCounts(), (std::vector<std::intptr_t>{2, 2}));
}

TEST_F(FalselyAcceptedPassword, WhenNoFurtherPasswordCanBeHadTheEntryIsDamaged) {
  const std::string impostor = FindImpostor();
  WriteArchive({secretEntry_});
  struct Case {
    const char* what;
    std::string commandPassword;
    std::uint32_t requests;
    std::deque<PasswordReply> replies;
    std::vector<std::intptr_t> expectedCounts;
  };
  const Case cases[] = {
      {"the requests run out", "", 2, {{.password = impostor}, {.password = impostor}}, {2, 1}},
      {"the caller's answer leaves none", "", 5, {{.password = impostor, .requestsLeft = 1}}, {5}},
      {"the command's own password is trusted", impostor, 3, {{.password = "secret"}}, {}},
  };
  for (const Case& entry : cases) {
    callback_ = RecordingCallback{};
    callback_.passwords = entry.replies;
    request_.password = entry.commandPassword;
    request_.passwordRequests = entry.requests;
    EXPECT_EQ(RunEngine(LinkedEngine(), request_, callback_), 0) << entry.what;
    EXPECT_TRUE(fs::is_empty(scratch_ / "out")) << entry.what;
    EXPECT_EQ(RequestCounts(), entry.expectedCounts) << entry.what;
    EXPECT_TRUE(ReportedDamaged()) << entry.what;
  }
}

TEST_F(Passwords, StoppingAtAPasswordRequestEndsTheCommand) {
  request_.passwordRequests = 2;
  callback_.stopWhen = [](const CallbackEvent& event) { return event.action == EngineAction::PasswordRequest; };
  EXPECT_EQ(Run({{.name = "a.txt", .content = "a", .password = "secret"}, {.name = "b.txt", .content = "b"}}), 0);
  EXPECT_EQ(callback_.events.back().action, EngineAction::PasswordRequest);
  EXPECT_TRUE(fs::is_empty(scratch_ / "out"));
}

TEST_F(Passwords, AnInfoZipArchiveOpensWithThePasswordGivenThroughARequest) {
  const fs::path fixtures = FixtureFolder();
  if (fixtures.empty()) {
    GTEST_SKIP() << "no fixture archives next to the test";
  }
  request_.archive = (fixtures / "infozip-encrypted.zip").string();
  request_.test = true;
  request_.passwordRequests = 2;
  callback_.passwords = {{.password = "not it"}, {.password = "secret"}};
  EXPECT_EQ(RunEngine(LinkedEngine(), request_, callback_), static_cast<std::int32_t>(ListFiles(fixtures / "tree").size()));
  EXPECT_EQ(RequestCounts(), (std::vector<std::intptr_t>{2, 1}));
}

}  // namespace
}  // namespace engines::unzip::testing
