// The vocabulary of password questions: what an engine asks (callback action 8),
// what the component answers, and TPasswordDlg, the modal dialog that asks the
// user when the owner has no OnPasswordError handler.
#pragma once

#include <cstdint>
#include <string>

#include "zipbuilder/component_types.h"
#include "zipbuilder/toolkit.h"

namespace zipbuilder {

enum class PasswordKind : std::uint8_t {
  Existing,  // an entry is to be decrypted: asked once
  New,       // entries are to be encrypted: asked twice, with confirmation
};

// One password request of an engine.
struct PasswordRequest {
  bool IsZipAction = false;
  PasswordKind Kind = PasswordKind::Existing;
  std::uint32_t RepeatCount = 0;
  std::string ForFile;
};

// The password for the engine's current request only (empty: none) and the
// repeat count handed back; LastPasswordChoice says whether to stop asking.
struct PasswordDecision {
  std::string Password;
  std::uint32_t RepeatCount = 0;
};

struct PasswordDialogAnswer {
  std::string Text;
  TPasswordButton Button = TPasswordButton::pbCancel;
};

// The dialog's geometry for a button set (OK is always there): width n x 124 + 35
// for n buttons, captions from the message table.
[[nodiscard]] PasswordDialogLayout LayOutPasswordDialog(TPasswordButtonSet buttons);

// One password question. Created for the question and gone after it.
class TPasswordDlg {
 public:
  TPasswordDlg(Toolkit& toolkit, WindowHandle owner, TPasswordButtonSet buttons);

  // Shows the dialog modally; the typed text when it was closed with OK, else "".
  [[nodiscard]] std::string ShowPasswordDialog(const std::string& caption, const std::string& prompt);
  // Ok, Cancel, Abort or CancelAll; Cancel also when the window was closed otherwise.
  [[nodiscard]] DialogAnswer ModalResult() const { return modalResult_; }

 private:
  Toolkit& toolkit_;
  WindowHandle owner_;
  TPasswordButtonSet buttons_;
  DialogAnswer modalResult_ = DialogAnswer::Cancel;
};

}  // namespace zipbuilder
