// A toolkit without a user interface: answers come from a script, and every box,
// dialog, cursor change and message pump is recorded for inspection. Tests use it,
// and a component built without a toolkit owns one: with nothing scripted every
// message box answers CannotShow (0) and every password dialog Cancel with an
// empty text, as a box or dialog that could not be shown.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "zipbuilder/toolkit.h"

namespace zipbuilder {

class HeadlessToolkit final : public Toolkit {
 public:
  HeadlessToolkit() = default;

  // --- the script: answers are used in order, one per box or dialog shown
  void QueueMessageBoxAnswer(DialogAnswer answer);
  void QueuePasswordDialogAnswer(PasswordDialogResult answer);
  // Runs inside every ProcessPendingMessages call, as a click would.
  void SetPendingMessageHandler(std::function<void()> handler);
  void SetApplicationTitle(std::string title);
  void SetApplicationWindow(WindowHandle window);

  // --- what was shown
  [[nodiscard]] const std::vector<MessageBoxRequest>& MessageBoxesShown() const { return messageBoxes_; }
  [[nodiscard]] const std::vector<PasswordDialogRequest>& PasswordDialogsShown() const { return passwordDialogs_; }
  [[nodiscard]] std::size_t PendingMessageCalls() const { return pendingMessageCalls_; }
  // Every cursor set, in order.
  [[nodiscard]] const std::vector<CursorShape>& CursorChanges() const { return cursorChanges_; }

  // --- Toolkit
  [[nodiscard]] DialogAnswer ShowMessageBox(const MessageBoxRequest& request) override;
  [[nodiscard]] PasswordDialogResult ShowPasswordDialog(const PasswordDialogRequest& request) override;
  void ProcessPendingMessages() override;
  [[nodiscard]] CursorShape ScreenCursor() const override { return cursor_; }
  void SetScreenCursor(CursorShape shape) override;
  [[nodiscard]] std::string ApplicationTitle() const override { return title_; }
  [[nodiscard]] WindowHandle ApplicationWindow() const override { return window_; }

 private:
  std::deque<DialogAnswer> messageBoxAnswers_;
  std::deque<PasswordDialogResult> passwordAnswers_;
  std::function<void()> pendingMessageHandler_;
  std::vector<MessageBoxRequest> messageBoxes_;
  std::vector<PasswordDialogRequest> passwordDialogs_;
  std::vector<CursorShape> cursorChanges_;
  std::size_t pendingMessageCalls_ = 0;
  CursorShape cursor_ = CursorShape::Default;
  std::string title_;
  WindowHandle window_ = nullptr;
};

}  // namespace zipbuilder
