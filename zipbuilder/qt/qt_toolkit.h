// The component's toolkit on Qt Widgets. Boxes and dialogs are modal and owned by
// the application's active window; the busy cursor is Qt's override cursor.
// Create it after the QApplication; all calls come from the GUI thread.
#pragma once

#include <string>

#include "zipbuilder/toolkit.h"

class QMessageBox;

namespace zipbuilder {

class QtToolkit final : public Toolkit {
 public:
  QtToolkit() = default;
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  [[nodiscard]] DialogAnswer ShowMessageBox(const MessageBoxRequest& request) override;
  [[nodiscard]] PasswordDialogResult ShowPasswordDialog(const PasswordDialogRequest& request) override;
  void ProcessPendingMessages() override;
  [[nodiscard]] CursorShape ScreenCursor() const override { return cursor_; }
  void SetScreenCursor(CursorShape shape) override;
  [[nodiscard]] std::string ApplicationTitle() const override;
  [[nodiscard]] WindowHandle ApplicationWindow() const override;

 private:
  CursorShape cursor_ = CursorShape::Default;
  bool overrideCursorSet_ = false;
};

// The box ShowMessageBox runs, built but not shown: its buttons, icon, default
// and escape buttons as the request asks. Its result() after exec() is a Qt
// standard button; AnswerOf turns it into the box's answer.
[[nodiscard]] QMessageBox* BuildMessageBox(const MessageBoxRequest& request);
[[nodiscard]] DialogAnswer AnswerOf(int standardButton);

}  // namespace zipbuilder
