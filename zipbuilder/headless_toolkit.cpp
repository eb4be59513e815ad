#include "zipbuilder/headless_toolkit.h"

namespace zipbuilder {

void HeadlessToolkit::QueueMessageBoxAnswer(DialogAnswer answer) { messageBoxAnswers_.push_back(answer); }

void HeadlessToolkit::QueuePasswordDialogAnswer(PasswordDialogResult answer) {
  passwordAnswers_.push_back(std::move(answer));
}

void HeadlessToolkit::SetPendingMessageHandler(std::function<void()> handler) {
  pendingMessageHandler_ = std::move(handler);
}

void HeadlessToolkit::SetApplicationTitle(std::string title) { title_ = std::move(title); }

void HeadlessToolkit::SetApplicationWindow(WindowHandle window) { window_ = window; }

DialogAnswer HeadlessToolkit::ShowMessageBox(const MessageBoxRequest& request) {
  messageBoxes_.push_back(request);
  if (messageBoxAnswers_.empty()) {
    return DialogAnswer::CannotShow;
  }
  const DialogAnswer answer = messageBoxAnswers_.front();
  messageBoxAnswers_.pop_front();
  return answer;
}

PasswordDialogResult HeadlessToolkit::ShowPasswordDialog(const PasswordDialogRequest& request) {
  passwordDialogs_.push_back(request);
  if (passwordAnswers_.empty()) {
    return PasswordDialogResult{DialogAnswer::Cancel, {}};
  }
  PasswordDialogResult answer = std::move(passwordAnswers_.front());
  passwordAnswers_.pop_front();
  return answer;
}

void HeadlessToolkit::ProcessPendingMessages() {
  ++pendingMessageCalls_;
  if (pendingMessageHandler_) {
    pendingMessageHandler_();
  }
}

void HeadlessToolkit::SetScreenCursor(CursorShape shape) {
  cursor_ = shape;
  cursorChanges_.push_back(shape);
}

}  // namespace zipbuilder
