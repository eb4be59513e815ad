// The only way the component reaches a user interface. The component asks its
// questions and shows its reports through this interface and never touches a GUI
// toolkit itself, so that it runs headless in tests, on a terminal in the
// command-line tool, and with a real toolkit in the installer.
//
// Implementations: HeadlessToolkit (zipbuilder/headless_toolkit.h, scripted,
// records everything), TerminalToolkit (tools/terminal_toolkit.h). A toolkit must
// outlive every component that uses it; all calls come from the GUI thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zipbuilder/component_types.h"

namespace zipbuilder {

// A native window handle (HWND on Windows); null means "no owner".
using WindowHandle = void*;

// Button sets, as the MB_* values of MessageBox.
enum class MessageBoxButtons : std::uint32_t {
  Ok = 0x0,                // MB_OK
  OkCancel = 0x1,          // MB_OKCANCEL
  AbortRetryIgnore = 0x2,  // MB_ABORTRETRYIGNORE
  YesNoCancel = 0x3,       // MB_YESNOCANCEL
  YesNo = 0x4,             // MB_YESNO
  RetryCancel = 0x5,       // MB_RETRYCANCEL
};

enum class MessageBoxIcon : std::uint32_t {
  None = 0x00,
  Stop = 0x10,         // MB_ICONSTOP / MB_ICONERROR
  Question = 0x20,     // MB_ICONQUESTION
  Warning = 0x30,      // MB_ICONWARNING
  Information = 0x40,  // MB_ICONINFORMATION
};

enum class MessageBoxDefaultButton : std::uint32_t {
  First = 0x000,   // MB_DEFBUTTON1
  Second = 0x100,  // MB_DEFBUTTON2
  Third = 0x200,   // MB_DEFBUTTON3
};

// The answer of a box or dialog, as the ID* values of MessageBox. A box that
// cannot be shown answers CannotShow. The password dialog's "Cancel all" button
// answers CancelAll, its modal result.
enum class DialogAnswer : std::int32_t {
  CannotShow = 0,
  Ok = 1,      // IDOK
  Cancel = 2,  // IDCANCEL; also closing a dialog without a button
  Abort = 3,   // IDABORT
  Retry = 4,   // IDRETRY
  Ignore = 5,  // IDIGNORE
  Yes = 6,     // IDYES
  No = 7,      // IDNO
  CancelAll = 9,
};

struct MessageBoxRequest {
  std::string Text;
  std::string Caption;
  MessageBoxButtons Buttons = MessageBoxButtons::Ok;
  MessageBoxIcon Icon = MessageBoxIcon::None;
  MessageBoxDefaultButton DefaultButton = MessageBoxDefaultButton::First;
  WindowHandle Owner = nullptr;
};

// A place on a dialog, in pixels of the form's client area.
struct DialogRectangle {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const DialogRectangle&, const DialogRectangle&) = default;
};

struct PasswordDialogButton {
  TPasswordButton Kind = TPasswordButton::pbOk;
  std::string Caption;  // "&" marks the accelerator
  DialogAnswer ModalResult = DialogAnswer::Ok;
  DialogRectangle Bounds;
};

// Where everything of the password dialog goes, so that every toolkit draws the
// same dialog: the form (fixed dialog border, centred on the screen, font
// FontName at FontHeight pixels, bold), the prompt label, the edit box and the
// buttons present, in the order OK, Cancel, Cancel all, Abort.
struct PasswordDialogLayout {
  int FormWidth = 0;
  int FormHeight = 0;
  std::string FontName;
  int FontHeight = 0;
  DialogRectangle PromptLabel;
  DialogRectangle EditBox;  // its height is the toolkit's
  std::vector<PasswordDialogButton> Buttons;
};

// The password dialog: a prompt, an edit box that shows "*" for every character
// (at most 80 characters) and the buttons of the set, always with OK.
struct PasswordDialogRequest {
  std::string Caption;
  std::string Prompt;
  TPasswordButtonSet Buttons{TPasswordButton::pbOk};
  WindowHandle Owner = nullptr;
  // Filled by the component's TPasswordDlg; a toolkit that draws no window may ignore it.
  PasswordDialogLayout Layout;
};

struct PasswordDialogResult {
  // Ok, Cancel, Abort or CancelAll; Cancel when the dialog was closed otherwise.
  DialogAnswer ModalResult = DialogAnswer::Cancel;
  // The typed text, whatever the modal result; callers keep it only after Ok.
  std::string Text;
};

// Mouse cursor shapes, as the toolkit's cursor constants (crDefault, crArrow,
// crHourGlass); other values are passed through unchanged.
enum class CursorShape : std::int32_t {
  Default = 0,
  Arrow = -2,
  Hourglass = -11,
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Shows a modal message box and waits for the answer.
  [[nodiscard]] virtual DialogAnswer ShowMessageBox(const MessageBoxRequest& request) = 0;
  // Shows the modal password dialog and waits for the answer.
  [[nodiscard]] virtual PasswordDialogResult ShowPasswordDialog(const PasswordDialogRequest& request) = 0;

  // Lets the user interface handle what is waiting (repaints, clicks on a Cancel
  // button) while a long operation runs on the GUI thread. Event handlers may run
  // inside this call.
  virtual void ProcessPendingMessages() = 0;

  // The cursor shown for the whole application.
  [[nodiscard]] virtual CursorShape ScreenCursor() const = 0;
  virtual void SetScreenCursor(CursorShape shape) = 0;

  // The application's title, used as the caption of the component's boxes.
  [[nodiscard]] virtual std::string ApplicationTitle() const = 0;
  // The application's top-level window; owner of boxes and handed to the engines.
  [[nodiscard]] virtual WindowHandle ApplicationWindow() const = 0;
};

}  // namespace zipbuilder
