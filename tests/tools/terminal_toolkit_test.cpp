#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/terminal_toolkit.h"

namespace tools {
namespace {

using zipbuilder::DialogAnswer;
using zipbuilder::MessageBoxButtons;
using zipbuilder::MessageBoxDefaultButton;
using zipbuilder::TPasswordButton;

class TerminalToolkitTest : public testing::Test {
 protected:
  TerminalToolkit Terminal(const std::string& typed, TerminalInput kind = TerminalInput::Interactive) {
    in.str(typed);
    return TerminalToolkit({in, out, kind, [this](Echo echo) { echoChanges.push_back(echo); }});
  }

  static zipbuilder::MessageBoxRequest Box(MessageBoxButtons buttons,
                                           MessageBoxDefaultButton defaultButton = MessageBoxDefaultButton::First) {
    zipbuilder::MessageBoxRequest request;
    request.Text = "Overwrite a.txt?";
    request.Caption = "Confirm";
    request.Buttons = buttons;
    request.DefaultButton = defaultButton;
    return request;
  }

  static zipbuilder::PasswordDialogRequest PasswordDialog(zipbuilder::TPasswordButtonSet buttons) {
    return {"Password", "Enter Password ", buttons, nullptr, {}};
  }

  std::istringstream in;
  std::ostringstream out;
  std::vector<Echo> echoChanges;
};

struct BoxCase {
  MessageBoxButtons Buttons;
  MessageBoxDefaultButton DefaultButton;
  const char* Typed;
  DialogAnswer Expected;
};

class TerminalBoxTest : public TerminalToolkitTest, public testing::WithParamInterface<BoxCase> {};

TEST_P(TerminalBoxTest, AnswersTheChosenButton) {
  const BoxCase& test = GetParam();
  TerminalToolkit terminal = Terminal(test.Typed);
  EXPECT_EQ(terminal.ShowMessageBox(Box(test.Buttons, test.DefaultButton)), test.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, TerminalBoxTest,
    testing::Values(BoxCase{MessageBoxButtons::YesNo, MessageBoxDefaultButton::First, "y\n", DialogAnswer::Yes},
                    BoxCase{MessageBoxButtons::YesNo, MessageBoxDefaultButton::First, "NO\n", DialogAnswer::No},
                    BoxCase{MessageBoxButtons::YesNo, MessageBoxDefaultButton::Second, "\n", DialogAnswer::No},
                    BoxCase{MessageBoxButtons::YesNoCancel, MessageBoxDefaultButton::Third, "\n",
                            DialogAnswer::Cancel},
                    BoxCase{MessageBoxButtons::RetryCancel, MessageBoxDefaultButton::First, "maybe\nr\n",
                            DialogAnswer::Retry},
                    BoxCase{MessageBoxButtons::OkCancel, MessageBoxDefaultButton::Third, "\n", DialogAnswer::Ok},
                    BoxCase{MessageBoxButtons::Ok, MessageBoxDefaultButton::First, "", DialogAnswer::CannotShow}));

TEST_F(TerminalToolkitTest, BoxShowsCaptionTextAndChoices) {
  TerminalToolkit terminal = Terminal("n\n");
  static_cast<void>(terminal.ShowMessageBox(Box(MessageBoxButtons::YesNo, MessageBoxDefaultButton::Second)));
  EXPECT_EQ(out.str(), "Confirm: Overwrite a.txt?\nYes / No [No]? ");
}

TEST_F(TerminalToolkitTest, WithoutATerminalNothingIsShownOrRead) {
  TerminalToolkit terminal = Terminal("y\nsecret\n", TerminalInput::NotInteractive);
  EXPECT_EQ(terminal.ShowMessageBox(Box(MessageBoxButtons::YesNo)), DialogAnswer::CannotShow);
  const zipbuilder::PasswordDialogResult password =
      terminal.ShowPasswordDialog(PasswordDialog({TPasswordButton::pbOk, TPasswordButton::pbCancel}));
  EXPECT_EQ(password.ModalResult, DialogAnswer::Cancel);
  EXPECT_EQ(password.Text, "");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(in.tellg(), 0);
}

TEST_F(TerminalToolkitTest, PasswordIsReadWithoutEcho) {
  TerminalToolkit terminal = Terminal("s3cret\n");
  const zipbuilder::PasswordDialogResult result =
      terminal.ShowPasswordDialog(PasswordDialog({TPasswordButton::pbOk, TPasswordButton::pbCancel}));
  EXPECT_EQ(result.ModalResult, DialogAnswer::Ok);
  EXPECT_EQ(result.Text, "s3cret");
  EXPECT_EQ(echoChanges, (std::vector{Echo::Off, Echo::On}));
  EXPECT_EQ(out.str().find("s3cret"), std::string::npos);
}

TEST_F(TerminalToolkitTest, EmptyPasswordCancelsOrAsksWhichWayOut) {
  TerminalToolkit cancelOnly = Terminal("\n");
  EXPECT_EQ(cancelOnly.ShowPasswordDialog(PasswordDialog({TPasswordButton::pbOk, TPasswordButton::pbCancel}))
                .ModalResult,
            DialogAnswer::Cancel);

  TerminalToolkit withCancelAll = Terminal("\nall\n");
  EXPECT_EQ(withCancelAll
                .ShowPasswordDialog(PasswordDialog(
                    {TPasswordButton::pbOk, TPasswordButton::pbCancel, TPasswordButton::pbCancelAll}))
                .ModalResult,
            DialogAnswer::CancelAll);
}

TEST_F(TerminalToolkitTest, EndOfInputDuringThePasswordCancels) {
  TerminalToolkit terminal = Terminal("");
  EXPECT_EQ(terminal.ShowPasswordDialog(PasswordDialog({TPasswordButton::pbOk, TPasswordButton::pbAbort}))
                .ModalResult,
            DialogAnswer::Cancel);
  EXPECT_EQ(echoChanges.back(), Echo::On);
}

}  // namespace
}  // namespace tools
