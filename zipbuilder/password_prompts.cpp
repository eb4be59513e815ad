// Password questions: the answer to an engine's password request (callback
// action 8), the add and extract prompts, and TPasswordDlg.
//
// A password found here serves the engine's current request only; the Password
// property never changes. An unattended component asks nobody: it reports the
// refusal and answers with no password, which the engine treats as "skip".
#include <algorithm>
#include <array>

#include "zipbuilder/message_table.h"
#include "zipbuilder/password_prompts.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

// The edit box takes no more; a toolkit that lets more through is cut here.
constexpr std::size_t PasswordDialogMaximumLength = 80;

constexpr int ButtonPitch = 124;
constexpr int ButtonWidth = 114;
constexpr int ButtonHeight = 28;
constexpr int ButtonsTop = 72;
constexpr int MarginLeft = 20;
constexpr int FormWidthBeyondButtons = 35;
constexpr int FormHeight = 137;
constexpr int EditBoxTop = 40;
constexpr int EditBoxShorterThanButtons = 10;
constexpr DialogRectangle PromptLabelBounds{MarginLeft, 8, 297, 18};
constexpr const char* DialogFontName = "Arial";
constexpr int DialogFontHeight = 12;

struct ButtonDescription {
  TPasswordButton Kind;
  int CaptionId;
  DialogAnswer ModalResult;
};

// In the order the dialog shows them.
constexpr std::array<ButtonDescription, 4> DialogButtons{{
    {TPasswordButton::pbOk, message_id::PasswordOkButton, DialogAnswer::Ok},
    {TPasswordButton::pbCancel, message_id::PasswordCancelButton, DialogAnswer::Cancel},
    {TPasswordButton::pbCancelAll, message_id::PasswordCancelAllButton, DialogAnswer::CancelAll},
    {TPasswordButton::pbAbort, message_id::PasswordAbortButton, DialogAnswer::Abort},
}};

[[nodiscard]] TPasswordButton ButtonOfModalResult(DialogAnswer modalResult) {
  switch (modalResult) {
    case DialogAnswer::Ok:
      return TPasswordButton::pbOk;
    case DialogAnswer::Cancel:
      return TPasswordButton::pbCancel;
    case DialogAnswer::CancelAll:
      return TPasswordButton::pbCancelAll;
    default:
      return TPasswordButton::pbAbort;
  }
}

[[nodiscard]] TPasswordButtonSet WithOk(TPasswordButtonSet buttons) { return buttons.Include(TPasswordButton::pbOk); }

}  // namespace

// ---------------------------------------------------------------------------
// TPasswordDlg
// ---------------------------------------------------------------------------

PasswordDialogLayout LayOutPasswordDialog(TPasswordButtonSet buttons) {
  buttons = WithOk(buttons);
  PasswordDialogLayout layout;
  for (const ButtonDescription& button : DialogButtons) {
    if (!buttons.Contains(button.Kind)) {
      continue;
    }
    const int position = static_cast<int>(layout.Buttons.size());
    layout.Buttons.push_back(PasswordDialogButton{
        .Kind = button.Kind,
        .Caption = MessageTextOrMissing(button.CaptionId),
        .ModalResult = button.ModalResult,
        .Bounds = {position * ButtonPitch + MarginLeft, ButtonsTop, ButtonWidth, ButtonHeight},
    });
  }
  const int buttonCount = static_cast<int>(layout.Buttons.size());
  layout.FormWidth = buttonCount * ButtonPitch + FormWidthBeyondButtons;
  layout.FormHeight = FormHeight;
  layout.FontName = DialogFontName;
  layout.FontHeight = DialogFontHeight;
  layout.PromptLabel = PromptLabelBounds;
  layout.EditBox = {MarginLeft, EditBoxTop, buttonCount * ButtonPitch - EditBoxShorterThanButtons, 0};
  return layout;
}

TPasswordDlg::TPasswordDlg(Toolkit& toolkit, WindowHandle owner, TPasswordButtonSet buttons)
    : toolkit_(toolkit), owner_(owner), buttons_(WithOk(buttons)) {}

std::string TPasswordDlg::ShowPasswordDialog(const std::string& caption, const std::string& prompt) {
  PasswordDialogRequest request;
  request.Caption = caption;
  request.Prompt = prompt;
  request.Buttons = buttons_;
  request.Owner = owner_;
  request.Layout = LayOutPasswordDialog(buttons_);
  PasswordDialogResult result = toolkit_.ShowPasswordDialog(request);
  modalResult_ = result.ModalResult;
  if (modalResult_ != DialogAnswer::Ok) {
    return {};
  }
  result.Text.resize(std::min(result.Text.size(), PasswordDialogMaximumLength));
  return result.Text;
}

// ---------------------------------------------------------------------------
// The component's questions
// ---------------------------------------------------------------------------

PasswordDialogAnswer TZipBuilder::RunPasswordDialog(const std::string& caption, const std::string& prompt,
                                                    TPasswordButtonSet buttons) {
  TPasswordDlg dialog(toolkit_, ownerWindow_, buttons);
  std::string text = dialog.ShowPasswordDialog(caption, prompt);
  lastPasswordChoice_ = static_cast<int>(dialog.ModalResult());
  return {std::move(text), ButtonOfModalResult(dialog.ModalResult())};
}

std::string TZipBuilder::PromptAddPassword() {
  if (unattended_) {
    ReportMessage(message_id::NoAddPassword);
    return {};
  }
  const TPasswordButtonSet buttons{TPasswordButton::pbOk, TPasswordButton::pbCancel};
  const std::string caption = MessageTextOrMissing(message_id::PasswordCaption);
  const PasswordDialogAnswer first =
      RunPasswordDialog(caption, MessageTextOrMissing(message_id::PasswordPrompt), buttons);
  if (first.Button != TPasswordButton::pbOk || first.Text.empty()) {
    return {};
  }
  const PasswordDialogAnswer confirmation =
      RunPasswordDialog(caption, MessageTextOrMissing(message_id::PasswordConfirmPrompt), buttons);
  if (confirmation.Button != TPasswordButton::pbOk || confirmation.Text.empty()) {
    return {};
  }
  // Letter case counts: a password differing only in case would not decrypt.
  if (first.Text != confirmation.Text) {
    ReportMessage(message_id::PasswordsDoNotMatch);
    return {};
  }
  return confirmation.Text;
}

std::string TZipBuilder::PromptExtractPassword() {
  if (unattended_) {
    ReportMessage(message_id::NoExtractPassword);
    return {};
  }
  const TPasswordButtonSet buttons{TPasswordButton::pbOk, TPasswordButton::pbCancel, TPasswordButton::pbCancelAll};
  return RunPasswordDialog(MessageTextOrMissing(message_id::PasswordCaption),
                           MessageTextOrMissing(message_id::PasswordPrompt), buttons)
      .Text;
}

PasswordDecision TZipBuilder::AnswerPasswordRequest(const PasswordRequest& request) {
  PasswordDecision decision{.Password = {}, .RepeatCount = request.RepeatCount};
  lastPasswordChoice_ = 0;
  if (!OnPasswordError) {
    decision.Password = request.Kind == PasswordKind::New ? PromptAddPassword() : PromptExtractPassword();
    return decision;
  }
  TPasswordButton action = TPasswordButton::pbOk;
  OnPasswordError(*this, request.IsZipAction, decision.Password, request.ForFile, decision.RepeatCount, action);
  if (action != TPasswordButton::pbOk) {
    decision.Password.clear();
  }
  if (action == TPasswordButton::pbCancelAll) {
    lastPasswordChoice_ = static_cast<int>(DialogAnswer::CancelAll);
  }
  if (action == TPasswordButton::pbAbort) {
    lastPasswordChoice_ = static_cast<int>(DialogAnswer::Abort);
  }
  return decision;
}

}  // namespace zipbuilder
