// The password prompts and TPasswordDlg, answered by the headless toolkit's script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/password_prompts.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

const TPasswordButtonSet OkCancel{TPasswordButton::pbOk, TPasswordButton::pbCancel};
const TPasswordButtonSet OkCancelCancelAll{TPasswordButton::pbOk, TPasswordButton::pbCancel,
                                           TPasswordButton::pbCancelAll};

class PasswordPromptTest : public testing::Test {
 protected:
  PasswordPromptTest() {
    toolkit.SetApplicationWindow(&windowToken);
    component = std::make_unique<TZipBuilder>(toolkit);
  }

  void Answer(DialogAnswer answer, std::string text) { toolkit.QueuePasswordDialogAnswer({answer, std::move(text)}); }
  [[nodiscard]] const std::vector<PasswordDialogRequest>& Dialogs() const { return toolkit.PasswordDialogsShown(); }

  HeadlessToolkit toolkit;
  int windowToken = 0;
  std::unique_ptr<TZipBuilder> component;
};

TEST_F(PasswordPromptTest, AddPromptConfirmedWithTheSameTextAnswersIt) {
  Answer(DialogAnswer::Ok, "Secret1");
  Answer(DialogAnswer::Ok, "Secret1");

  EXPECT_EQ(component->PromptAddPassword(), "Secret1");

  ASSERT_EQ(Dialogs().size(), 2u);
  EXPECT_EQ(Dialogs()[0].Caption, "Password");
  EXPECT_EQ(Dialogs()[0].Prompt, "Enter Password ");
  EXPECT_EQ(Dialogs()[1].Caption, "Password");
  EXPECT_EQ(Dialogs()[1].Prompt, "Confirm Password ");
  for (const PasswordDialogRequest& dialog : Dialogs()) {
    EXPECT_EQ(dialog.Buttons, OkCancel) << "the add prompt never offers Cancel all";
    EXPECT_EQ(dialog.Owner, &windowToken);
  }
  EXPECT_EQ(component->LastPasswordChoice(), 1);
}

TEST_F(PasswordPromptTest, AddPromptWithTextsDifferingInCaseReportsAMismatch) {
  component->SetUnattended(false);
  Answer(DialogAnswer::Ok, "Secret");
  Answer(DialogAnswer::Ok, "secret");

  EXPECT_EQ(component->PromptAddPassword(), "");

  EXPECT_EQ(component->ErrCode(), 10104);
  EXPECT_EQ(component->LastMessage(), "Error - passwords do NOT match\nPassword ignored");
  EXPECT_EQ(toolkit.MessageBoxesShown().size(), 1u);
}

struct AddPromptCase {
  const char* Name;
  std::vector<PasswordDialogResult> Answers;
  std::size_t DialogsShown;
};

class AddPromptGivesNothing : public PasswordPromptTest, public testing::WithParamInterface<AddPromptCase> {};

TEST_P(AddPromptGivesNothing, WhenEitherQuestionIsNotAnsweredWithText) {
  for (const PasswordDialogResult& answer : GetParam().Answers) {
    toolkit.QueuePasswordDialogAnswer(answer);
  }
  EXPECT_EQ(component->PromptAddPassword(), "");
  EXPECT_EQ(Dialogs().size(), GetParam().DialogsShown);
  EXPECT_EQ(component->ErrCode(), 0) << "nothing is reported";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddPromptGivesNothing,
    testing::Values(AddPromptCase{"FirstCancelled", {{DialogAnswer::Cancel, "typed"}}, 1},
                    AddPromptCase{"FirstEmpty", {{DialogAnswer::Ok, ""}}, 1},
                    AddPromptCase{"ConfirmationCancelled", {{DialogAnswer::Ok, "a"}, {DialogAnswer::Cancel, "a"}}, 2},
                    AddPromptCase{"ConfirmationEmpty", {{DialogAnswer::Ok, "a"}, {DialogAnswer::Ok, ""}}, 2}),
    [](const auto& instance) { return std::string(instance.param.Name); });

TEST_F(PasswordPromptTest, ExtractPromptOffersCancelAllButNeverAbort) {
  Answer(DialogAnswer::Ok, "open sesame");

  EXPECT_EQ(component->PromptExtractPassword(), "open sesame");

  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Buttons, OkCancelCancelAll);
  EXPECT_EQ(Dialogs()[0].Caption, "Password");
  EXPECT_EQ(Dialogs()[0].Prompt, "Enter Password ");
}

TEST_F(PasswordPromptTest, ExtractPromptCancelledAnswersNothingWhateverWasTyped) {
  Answer(DialogAnswer::CancelAll, "typed");
  EXPECT_EQ(component->PromptExtractPassword(), "");
  EXPECT_EQ(component->LastPasswordChoice(), 9);
}

TEST_F(PasswordPromptTest, UnattendedPromptsAskNobody) {
  component->SetUnattended(true);

  EXPECT_EQ(component->PromptAddPassword(), "");
  EXPECT_EQ(component->ErrCode(), 10150);
  EXPECT_EQ(component->PromptExtractPassword(), "");
  EXPECT_EQ(component->ErrCode(), 10151);

  EXPECT_TRUE(Dialogs().empty());
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
}

struct ModalResultCase {
  DialogAnswer ModalResult;
  TPasswordButton Button;
  std::string Text;
};

class RunPasswordDialogResults : public PasswordPromptTest, public testing::WithParamInterface<ModalResultCase> {};

TEST_P(RunPasswordDialogResults, MapTheModalResultToAButton) {
  Answer(GetParam().ModalResult, "typed");

  const PasswordDialogAnswer answer = component->RunPasswordDialog("Caption", "Prompt", OkCancelCancelAll);

  EXPECT_EQ(answer.Button, GetParam().Button);
  EXPECT_EQ(answer.Text, GetParam().Text);
  EXPECT_EQ(component->LastPasswordChoice(), static_cast<int>(GetParam().ModalResult));
}

INSTANTIATE_TEST_SUITE_P(Results, RunPasswordDialogResults,
                         testing::Values(ModalResultCase{DialogAnswer::Ok, TPasswordButton::pbOk, "typed"},
                                         ModalResultCase{DialogAnswer::Cancel, TPasswordButton::pbCancel, ""},
                                         ModalResultCase{DialogAnswer::CancelAll, TPasswordButton::pbCancelAll, ""},
                                         ModalResultCase{DialogAnswer::Abort, TPasswordButton::pbAbort, ""},
                                         ModalResultCase{DialogAnswer::CannotShow, TPasswordButton::pbAbort, ""}),
                         [](const auto& instance) {
                           return "ModalResult" + std::to_string(static_cast<int>(instance.param.ModalResult));
                         });

TEST(PasswordDialog, KeepsAtMost80TypedCharacters) {
  HeadlessToolkit toolkit;
  toolkit.QueuePasswordDialogAnswer({DialogAnswer::Ok, std::string(100, 't')});
  TPasswordDlg dialog(toolkit, nullptr, {TPasswordButton::pbCancel});

  EXPECT_EQ(dialog.ShowPasswordDialog("c", "p"), std::string(80, 't'));
  EXPECT_EQ(dialog.ModalResult(), DialogAnswer::Ok);
  ASSERT_EQ(toolkit.PasswordDialogsShown().size(), 1u);
  EXPECT_EQ(toolkit.PasswordDialogsShown()[0].Buttons, OkCancel) << "OK is always there";
}

struct LayoutCase {
  TPasswordButtonSet Buttons;
  int FormWidth;
  std::vector<std::string> Captions;
};

class PasswordDialogLayoutBySet : public testing::TestWithParam<LayoutCase> {};

TEST_P(PasswordDialogLayoutBySet, PlacesEveryPresentButtonInOrder) {
  const PasswordDialogLayout layout = LayOutPasswordDialog(GetParam().Buttons);
  const int buttonCount = static_cast<int>(GetParam().Captions.size());

  EXPECT_EQ(layout.FormWidth, GetParam().FormWidth);
  EXPECT_EQ(layout.FormHeight, 137);
  EXPECT_EQ(layout.FontName, "Arial");
  EXPECT_EQ(layout.FontHeight, 12);
  EXPECT_EQ(layout.PromptLabel, (DialogRectangle{20, 8, 297, 18}));
  EXPECT_EQ(layout.EditBox.Left, 20);
  EXPECT_EQ(layout.EditBox.Top, 40);
  EXPECT_EQ(layout.EditBox.Width, buttonCount * 124 - 10);
  ASSERT_EQ(layout.Buttons.size(), GetParam().Captions.size());
  for (int index = 0; index < buttonCount; ++index) {
    const PasswordDialogButton& button = layout.Buttons[static_cast<std::size_t>(index)];
    EXPECT_EQ(button.Caption, GetParam().Captions[static_cast<std::size_t>(index)]);
    EXPECT_EQ(button.Bounds, (DialogRectangle{index * 124 + 20, 72, 114, 28}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, PasswordDialogLayoutBySet,
    testing::Values(LayoutCase{{}, 159, {"&Ok"}}, LayoutCase{OkCancel, 283, {"&Ok", "&Cancel"}},
                    LayoutCase{OkCancelCancelAll, 407, {"&Ok", "&Cancel", "Cancel all"}},
                    LayoutCase{{TPasswordButton::pbAbort, TPasswordButton::pbCancelAll},
                               407,
                               {"&Ok", "Cancel all", "Abort"}},
                    LayoutCase{{TPasswordButton::pbAbort, TPasswordButton::pbCancelAll, TPasswordButton::pbCancel},
                               531,
                               {"&Ok", "&Cancel", "Cancel all", "Abort"}}),
    [](const auto& instance) {
      return std::to_string(instance.param.Captions.size()) + "ButtonsCase" + std::to_string(instance.index);
    });

TEST(PasswordDialogLayout, ButtonsCarryTheirModalResults) {
  const PasswordDialogLayout layout = LayOutPasswordDialog(
      {TPasswordButton::pbCancel, TPasswordButton::pbCancelAll, TPasswordButton::pbAbort});
  ASSERT_EQ(layout.Buttons.size(), 4u);
  EXPECT_EQ(layout.Buttons[0].ModalResult, DialogAnswer::Ok);
  EXPECT_EQ(layout.Buttons[1].ModalResult, DialogAnswer::Cancel);
  EXPECT_EQ(layout.Buttons[2].ModalResult, DialogAnswer::CancelAll);
  EXPECT_EQ(layout.Buttons[3].ModalResult, DialogAnswer::Abort);
  EXPECT_EQ(layout.Buttons[3].Kind, TPasswordButton::pbAbort);
}

}  // namespace
}  // namespace zipbuilder
