// EngineCallback, called as an engine calls it: one record per callback, the
// component found through the record's caller field, answers read back from it.
#include "zipbuilder/engine_callback.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

using engines::EngineAction;

struct ProgressCall {
  ProgressType Type;
  std::string FileName;
  std::int32_t FileSize;
  friend bool operator==(const ProgressCall&, const ProgressCall&) = default;
};

class EngineCallbackTest : public testing::Test {
 protected:
  EngineCallbackTest() : component(toolkit), record(std::make_unique<engines::EngineCallbackRecord>()) {}

  // Fills the record as an engine would and calls back.
  std::int32_t Call(EngineAction action, std::int32_t value1 = 0, std::intptr_t value2 = 0,
                    const std::string& text = {}, const std::string& comment = {}) {
    *record = engines::EngineCallbackRecord{};
    record->Caller = &component;
    record->Action = action;
    record->Value1 = value1;
    record->Value2 = value2;
    std::memcpy(record->Text, text.c_str(), text.size() + 1);
    std::memcpy(record->Text + engines::EngineCallbackCommentOffset, comment.c_str(), comment.size() + 1);
    return EngineCallback(record.get());
  }

  [[nodiscard]] std::string AnswerText() const { return record->Text; }

  HeadlessToolkit toolkit;
  TZipBuilder component;
  std::unique_ptr<engines::EngineCallbackRecord> record;
};

// ---------------------------------------------------------------------------
// Progress, pending messages, Cancel
// ---------------------------------------------------------------------------

struct ProgressCase {
  const char* Name;
  EngineAction Action;
  std::optional<ProgressCall> Expected;
};

class EngineCallbackProgress : public EngineCallbackTest, public testing::WithParamInterface<ProgressCase> {};

TEST_P(EngineCallbackProgress, MapsActionsToOnProgress) {
  std::vector<ProgressCall> calls;
  component.OnProgress = [&](TZipBuilder& sender, ProgressType type, const std::string& name, std::int32_t size) {
    EXPECT_EQ(&sender, &component);
    calls.push_back({type, name, size});
  };

  EXPECT_EQ(Call(GetParam().Action, 0, 1234, "dir/sub/file.txt"), 0);

  if (GetParam().Expected) {
    EXPECT_EQ(calls, std::vector<ProgressCall>{*GetParam().Expected});
  } else {
    EXPECT_TRUE(calls.empty());
  }
  EXPECT_EQ(toolkit.PendingMessageCalls(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, EngineCallbackProgress,
    testing::Values(
        ProgressCase{"NewFile", EngineAction::NewFile,
                     ProgressCall{ProgressType::pgNewFile, "dir\\sub\\file.txt", 1234}},
        ProgressCase{"BytesDone", EngineAction::BytesDone, ProgressCall{ProgressType::pgBytesDone, "", 1234}},
        ProgressCase{"BatchEnd", EngineAction::BatchEnd, ProgressCall{ProgressType::pgBatchEnd, "", 0}},
        ProgressCase{"FileCount", EngineAction::FileCount, ProgressCall{ProgressType::pgFileCount, "", 1234}},
        ProgressCase{"TotalSize", EngineAction::TotalSize, ProgressCall{ProgressType::pgTotalSize, "", 1234}},
        ProgressCase{"Message", EngineAction::Message, std::nullopt},
        ProgressCase{"CrcError", EngineAction::CrcError, std::nullopt},
        ProgressCase{"FileSkipped", EngineAction::FileSkipped, std::nullopt},
        ProgressCase{"UnknownCode", static_cast<EngineAction>(99), std::nullopt}),
    [](const auto& instance) { return std::string(instance.param.Name); });

TEST_F(EngineCallbackTest, TotalSizeIsKeptWithoutAHandlerToo) {
  EXPECT_EQ(Call(EngineAction::TotalSize, 0, 987654), 0);
  EXPECT_EQ(component.BatchTotalSize(), 987654);
}

TEST_F(EngineCallbackTest, CancelIsAnsweredWhereverItWasSet) {
  component.SetCancel(true);
  EXPECT_EQ(Call(EngineAction::BytesDone, 0, 10), 1);

  component.SetCancel(false);
  component.OnProgress = [](TZipBuilder& sender, ProgressType, const std::string&, std::int32_t) {
    sender.SetCancel(true);
  };
  EXPECT_EQ(Call(EngineAction::NewFile, 0, 10, "a"), 1);

  component.OnProgress = nullptr;
  component.SetCancel(false);
  // A Cancel button clicked while pending messages are handled.
  toolkit.SetPendingMessageHandler([this] { component.SetCancel(true); });
  EXPECT_EQ(Call(EngineAction::Message, 0, 0, "working"), 1);
}

TEST_F(EngineCallbackTest, AFailingHandlerStopsTheEngineWithoutThrowing) {
  component.OnProgress = [](TZipBuilder&, ProgressType, const std::string&, std::int32_t) {
    throw std::runtime_error("handler failed");
  };
  EXPECT_EQ(Call(EngineAction::NewFile, 0, 1, "a"), 1);
}

TEST(EngineCallbackWithoutComponent, StopsTheEngine) {
  auto record = std::make_unique<engines::EngineCallbackRecord>();
  record->Action = EngineAction::NewFile;
  EXPECT_EQ(EngineCallback(record.get()), 1);
  EXPECT_EQ(EngineCallback(nullptr), 1);
}

// ---------------------------------------------------------------------------
// Action 4: engine messages
// ---------------------------------------------------------------------------

struct EngineMessageCase {
  std::int32_t Value1;
  int ErrCode;
  int EngineErrCode;
};

class EngineCallbackMessages : public EngineCallbackTest, public testing::WithParamInterface<EngineMessageCase> {};

TEST_P(EngineCallbackMessages, SetTheCodesFromTheLowByteAndShowNoBox) {
  component.ReportMessage(10102);  // leaves ErrCode 10102, and one box: the component is attended
  std::vector<std::pair<int, std::string>> messages;
  component.OnMessage = [&](TZipBuilder&, int errCode, const std::string& message) {
    messages.emplace_back(errCode, message);
  };

  Call(EngineAction::Message, GetParam().Value1, 0, "bad/entry.txt: CRC error");

  EXPECT_EQ(component.ErrCode(), GetParam().ErrCode);
  EXPECT_EQ(component.EngineErrCode(), GetParam().EngineErrCode);
  EXPECT_EQ(component.LastMessage(), "bad\\entry.txt: CRC error");
  EXPECT_EQ(messages, (std::vector<std::pair<int, std::string>>{{GetParam().Value1, "bad\\entry.txt: CRC error"}}));
  EXPECT_EQ(toolkit.MessageBoxesShown().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Values, EngineCallbackMessages,
                         testing::Values(EngineMessageCase{0x1234, 0x34, 0x1234}, EngineMessageCase{0xFF, -1, 0xFF},
                                         EngineMessageCase{0, 10102, 0}),
                         [](const auto& instance) { return "Value" + std::to_string(instance.param.Value1); });

// ---------------------------------------------------------------------------
// Action 7: new name
// ---------------------------------------------------------------------------

TEST_F(EngineCallbackTest, NewNameWritesBackAChangedNameOfAtMost512Characters) {
  std::string seen;
  component.OnSetNewName = [&](TZipBuilder&, std::string& oldFileName, bool& isChanged) {
    seen = oldFileName;
    EXPECT_FALSE(isChanged);
    oldFileName = std::string(600, 'n');
    isChanged = true;
  };

  Call(EngineAction::NewName, 0, 0, "raw/name.txt");

  EXPECT_EQ(seen, "raw/name.txt");  // the text area's own text, slashes kept
  EXPECT_EQ(record->Value1, 1);
  EXPECT_EQ(AnswerText(), std::string(512, 'n'));
}

TEST_F(EngineCallbackTest, NewNameUnchangedOrUnhandled) {
  component.OnSetNewName = [](TZipBuilder&, std::string& oldFileName, bool&) { oldFileName = "ignored"; };
  Call(EngineAction::NewName, 5, 0, "name.txt");
  EXPECT_EQ(record->Value1, 0);
  EXPECT_EQ(AnswerText(), "name.txt");

  component.OnSetNewName = nullptr;
  Call(EngineAction::NewName, 5, 0, "name.txt");
  EXPECT_EQ(record->Value1, 5);
  EXPECT_EQ(AnswerText(), "name.txt");
}

// ---------------------------------------------------------------------------
// Action 8: password requests answered by a handler
// ---------------------------------------------------------------------------

struct PasswordHandlerCase {
  const char* Name;
  std::string NewPassword;
  std::uint32_t RepeatCount;
  TPasswordButton Action;
  std::int32_t Returned;
  EngineAction ActionField;
  std::int32_t Value1;
  std::intptr_t Value2;
  std::string Text;
  int LastPasswordChoice;
};

class EngineCallbackPasswordHandler : public EngineCallbackTest,
                                      public testing::WithParamInterface<PasswordHandlerCase> {};

TEST_P(EngineCallbackPasswordHandler, AnswersWhatTheHandlerDecided) {
  const PasswordHandlerCase& answer = GetParam();
  component.OnPasswordError = [&](TZipBuilder&, bool isZipAction, std::string& newPassword, const std::string& forFile,
                                  std::uint32_t& repeatCount, TPasswordButton& action) {
    EXPECT_FALSE(isZipAction);
    EXPECT_EQ(newPassword, "");
    EXPECT_EQ(forFile, "secret\\data.bin");
    EXPECT_EQ(repeatCount, 2u);
    EXPECT_EQ(action, TPasswordButton::pbOk);
    newPassword = answer.NewPassword;
    repeatCount = answer.RepeatCount;
    action = answer.Action;
  };

  EXPECT_EQ(Call(EngineAction::PasswordRequest, 0, 2, "secret/data.bin"), answer.Returned);

  EXPECT_EQ(record->Action, answer.ActionField);
  EXPECT_EQ(record->Value1, answer.Value1);
  EXPECT_EQ(record->Value2, answer.Value2);
  if (answer.Value1 == 1) {
    EXPECT_EQ(AnswerText(), answer.Text);
  }
  EXPECT_EQ(component.LastPasswordChoice(), answer.LastPasswordChoice);
  EXPECT_EQ(component.Cancel(), answer.Returned == 1);
  EXPECT_EQ(component.Password(), "");  // a prompt never changes the property
}

const std::string HundredCharacterPassword(100, 'q');

INSTANTIATE_TEST_SUITE_P(
    Answers, EngineCallbackPasswordHandler,
    testing::Values(
        PasswordHandlerCase{"Given", "open", 2, TPasswordButton::pbOk, 0, EngineAction::PasswordRequest, 1, 2, "open",
                            0},
        PasswordHandlerCase{"LongCutTo81", HundredCharacterPassword, 2, TPasswordButton::pbOk, 0,
                            EngineAction::PasswordRequest, 1, 2, HundredCharacterPassword.substr(0, 81), 0},
        PasswordHandlerCase{"EmptyGivesNoPasswordAndNoRepeats", "", 2, TPasswordButton::pbOk, 0,
                            EngineAction::PasswordRequest, 0, 0, "", 0},
        PasswordHandlerCase{"RepeatCountCappedAt15", "open", 40, TPasswordButton::pbOk, 0,
                            EngineAction::PasswordRequest, 1, 15, "open", 0},
        PasswordHandlerCase{"CancelDropsThePassword", "open", 2, TPasswordButton::pbCancel, 0,
                            EngineAction::PasswordRequest, 0, 0, "", 0},
        PasswordHandlerCase{"CancelAllClearsTheActionCode", "open", 2, TPasswordButton::pbCancelAll, 0,
                            EngineAction::None, 0, 0, "", 9},
        PasswordHandlerCase{"AbortSetsCancel", "open", 2, TPasswordButton::pbAbort, 1, EngineAction::PasswordRequest, 0,
                            0, "", 3}),
    [](const auto& instance) { return std::string(instance.param.Name); });

TEST_F(EngineCallbackTest, PasswordRequestOfTheZipEngineSaysSo) {
  bool sawZipAction = false;
  component.OnPasswordError = [&](TZipBuilder&, bool isZipAction, std::string&, const std::string&, std::uint32_t&,
                                  TPasswordButton&) { sawZipAction = isZipAction; };
  *record = engines::EngineCallbackRecord{};
  record->Caller = &component;
  record->IsZip = 1;
  record->Action = EngineAction::PasswordRequest;
  static_cast<void>(EngineCallback(record.get()));
  EXPECT_TRUE(sawZipAction);
}

// ---------------------------------------------------------------------------
// Action 8 without a handler: the component's own dialog
// ---------------------------------------------------------------------------

TEST_F(EngineCallbackTest, ExtractPasswordFromTheDialog) {
  toolkit.QueuePasswordDialogAnswer({DialogAnswer::Ok, "typed"});

  EXPECT_EQ(Call(EngineAction::PasswordRequest, 0, 3, "a.txt"), 0);

  ASSERT_EQ(toolkit.PasswordDialogsShown().size(), 1u);
  EXPECT_EQ(toolkit.PasswordDialogsShown()[0].Prompt, "Enter Password ");
  EXPECT_EQ(record->Value1, 1);
  EXPECT_EQ(record->Value2, 3);
  EXPECT_EQ(AnswerText(), "typed");
  EXPECT_EQ(component.LastPasswordChoice(), 1);
}

TEST_F(EngineCallbackTest, ExtractPromptCancelAllClearsTheActionCode) {
  toolkit.QueuePasswordDialogAnswer({DialogAnswer::CancelAll, "typed"});

  EXPECT_EQ(Call(EngineAction::PasswordRequest, 0, 3, "a.txt"), 0);

  EXPECT_EQ(record->Action, EngineAction::None);
  EXPECT_EQ(record->Value1, 0);
  EXPECT_EQ(record->Value2, 0);
  EXPECT_EQ(component.LastPasswordChoice(), 9);
}

TEST_F(EngineCallbackTest, NewPasswordBitAsksTwice) {
  toolkit.QueuePasswordDialogAnswer({DialogAnswer::Ok, "Same"});
  toolkit.QueuePasswordDialogAnswer({DialogAnswer::Ok, "Same"});

  Call(EngineAction::PasswordRequest, 1, 1, "new.txt");

  ASSERT_EQ(toolkit.PasswordDialogsShown().size(), 2u);
  EXPECT_EQ(toolkit.PasswordDialogsShown()[1].Prompt, "Confirm Password ");
  EXPECT_EQ(record->Value1, 1);
  EXPECT_EQ(AnswerText(), "Same");
}

TEST_F(EngineCallbackTest, UnattendedComponentRefusesAndAnswersNoPassword) {
  component.SetUnattended(true);

  EXPECT_EQ(Call(EngineAction::PasswordRequest, 0, 4, "a.txt"), 0);

  EXPECT_TRUE(toolkit.PasswordDialogsShown().empty());
  EXPECT_EQ(component.ErrCode(), 10151);
  EXPECT_EQ(record->Value1, 0);
  EXPECT_EQ(record->Value2, 0);
}

// ---------------------------------------------------------------------------
// Actions 9-13
// ---------------------------------------------------------------------------

TEST_F(EngineCallbackTest, CrcErrorAnswers) {
  Call(EngineAction::CrcError, 0x11111111, 0x22222222, "a/b.txt");
  EXPECT_EQ(record->Value1, 2) << "without a handler";

  std::string forFile;
  std::uint32_t found = 0;
  std::uint32_t expected = 0;
  component.OnCRC32Error = [&](TZipBuilder&, const std::string& file, std::uint32_t foundCrc,
                               std::uint32_t expectedCrc, bool& doExtract) {
    EXPECT_TRUE(doExtract);
    forFile = file;
    found = foundCrc;
    expected = expectedCrc;
  };
  Call(EngineAction::CrcError, static_cast<std::int32_t>(0xDEADBEEF), 0x22222222, "a/b.txt");
  EXPECT_EQ(record->Value1, 1) << "a handler that leaves DoExtract true";
  EXPECT_EQ(forFile, "a\\b.txt");
  EXPECT_EQ(found, 0xDEADBEEFu);
  EXPECT_EQ(expected, 0x22222222u);

  component.OnCRC32Error = [](TZipBuilder&, const std::string&, std::uint32_t, std::uint32_t, bool& doExtract) {
    doExtract = false;
  };
  Call(EngineAction::CrcError, 1, 2, "a.txt");
  EXPECT_EQ(record->Value1, 0);
}

TEST_F(EngineCallbackTest, OverwriteQuestionSplitsValue1) {
  Call(EngineAction::OverwriteQuestion, 0x10005, 7, "x.txt");
  EXPECT_EQ(record->Value2, 7) << "without a handler the engine's value stands";

  struct Seen {
    std::string File;
    bool IsOlder;
    bool DoOverwrite;
    int DirIndex;
  };
  std::vector<Seen> seen;
  component.OnExtractOverwrite = [&](TZipBuilder&, const std::string& file, bool isOlder, bool& doOverwrite,
                                     int dirIndex) {
    seen.push_back({file, isOlder, doOverwrite, dirIndex});
    doOverwrite = !doOverwrite;
  };
  Call(EngineAction::OverwriteQuestion, 0x10005, 0, "d/x.txt");
  EXPECT_EQ(record->Value2, 1);
  Call(EngineAction::OverwriteQuestion, 0x0FFFF, 3, "y.txt");
  EXPECT_EQ(record->Value2, 0);

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].File, "d\\x.txt");
  EXPECT_TRUE(seen[0].IsOlder);
  EXPECT_FALSE(seen[0].DoOverwrite);
  EXPECT_EQ(seen[0].DirIndex, 5);
  EXPECT_FALSE(seen[1].IsOlder);
  EXPECT_TRUE(seen[1].DoOverwrite);
  EXPECT_EQ(seen[1].DirIndex, 0xFFFF);
}

TEST_F(EngineCallbackTest, FileSkippedCountsReasonsFromZero) {
  std::vector<std::tuple<std::string, UnZipSkipTypes, int>> skipped;
  component.OnExtractSkipped = [&](TZipBuilder&, const std::string& file, UnZipSkipTypes skipType, int extError) {
    skipped.emplace_back(file, skipType, extError);
  };

  component.ReportMessage(10102);
  Call(EngineAction::FileSkipped, 0, 1, "s/a.txt");
  EXPECT_EQ(component.ErrCode(), 10102) << "no error value, no change";
  Call(EngineAction::FileSkipped, 0x1FE, 0x103, "b.txt");
  EXPECT_EQ(component.ErrCode(), -2);
  EXPECT_EQ(component.EngineErrCode(), 0x1FE);
  Call(EngineAction::FileSkipped, 0, 200, "newer.txt");

  ASSERT_EQ(skipped.size(), 3u);
  EXPECT_EQ(skipped[0], std::make_tuple(std::string("s\\a.txt"), UnZipSkipTypes::skNotOverwritten, 0));
  EXPECT_EQ(skipped[1], std::make_tuple(std::string("b.txt"), UnZipSkipTypes::skExistingNotOlder, 0x1FE));
  EXPECT_EQ(static_cast<int>(std::get<1>(skipped[2])), 199) << "a reason of a newer engine passes through";
}

TEST_F(EngineCallbackTest, FileCommentChangedIsWrittenBackCutAt511) {
  component.OnFileComment = [](TZipBuilder&, const std::string& forFile, std::string& comment, bool& isChanged) {
    EXPECT_EQ(forFile, "c\\d.txt");
    EXPECT_EQ(comment, "old comment");
    EXPECT_FALSE(isChanged);
    comment = std::string(600, 'c');
    isChanged = true;
  };

  Call(EngineAction::FileComment, 0, 0, "c/d.txt", "old comment");

  EXPECT_EQ(AnswerText(), std::string(511, 'c'));
  EXPECT_EQ(record->Value1, 1);
  EXPECT_EQ(record->Value2, 511);
}

TEST_F(EngineCallbackTest, FileCommentUnchangedOrEmptiedLeavesAnEmptyText) {
  component.OnFileComment = [](TZipBuilder&, const std::string&, std::string&, bool&) {};
  Call(EngineAction::FileComment, 0, 0, "d.txt", "kept");
  EXPECT_EQ(AnswerText(), "");
  EXPECT_EQ(record->Value1, 0);
  EXPECT_EQ(record->Value2, 4);

  component.OnFileComment = [](TZipBuilder&, const std::string&, std::string& comment, bool& isChanged) {
    comment.clear();
    isChanged = true;
  };
  Call(EngineAction::FileComment, 0, 0, "d.txt", "gone");
  EXPECT_EQ(AnswerText(), "");
  EXPECT_EQ(record->Value1, 1);
  EXPECT_EQ(record->Value2, 0);

  component.OnFileComment = nullptr;
  Call(EngineAction::FileComment, 8, 9, "d.txt", "unasked");
  EXPECT_EQ(AnswerText(), "d.txt");
  EXPECT_EQ(record->Value1, 8);
  EXPECT_EQ(record->Value2, 9);
}

TEST_F(EngineCallbackTest, OutputMemoryRequestResizesZipStreamAndAnswersItsAddress) {
  Call(EngineAction::OutputMemoryRequest, 0, 100);
  EXPECT_EQ(component.ZipStream().Size(), 100u);
  EXPECT_EQ(record->Value2, reinterpret_cast<std::intptr_t>(component.ZipStream().Memory()));
  EXPECT_EQ(record->Value1, 0);

  Call(EngineAction::OutputMemoryRequest, 0, 0);
  EXPECT_EQ(component.ZipStream().Size(), 0u);
  EXPECT_EQ(record->Value2, reinterpret_cast<std::intptr_t>(component.ZipStream().Memory()));
  EXPECT_EQ(record->Value1, 0);
}

TEST_F(EngineCallbackTest, OutputMemoryThatCannotBeHadAnswersOneAndZero) {
  for (const std::intptr_t impossible : {std::intptr_t{-1}, std::numeric_limits<std::intptr_t>::max()}) {
    Call(EngineAction::OutputMemoryRequest, 0, impossible);
    EXPECT_EQ(record->Value1, 1) << impossible;
    EXPECT_EQ(record->Value2, 0) << impossible;
  }
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
}

}  // namespace
}  // namespace zipbuilder
