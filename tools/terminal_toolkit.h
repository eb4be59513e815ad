// The toolkit of the command-line tool: boxes and the password dialog become
// questions on the terminal. When standard input is not a terminal nothing can
// be asked: every box answers CannotShow (0) and every password dialog Cancel,
// without printing or reading anything.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "tools/terminal.h"
#include "zipbuilder/toolkit.h"

namespace tools {

enum class TerminalInput { Interactive, NotInteractive };

struct TerminalStreams {
  std::istream& In;
  std::ostream& Out;  // questions go here; the tool passes standard error
  TerminalInput Input;
  // Turns the echo of `In` on and off around a password; may be empty.
  std::function<void(Echo)> SetEcho;
};

class TerminalToolkit final : public zipbuilder::Toolkit {
 public:
  explicit TerminalToolkit(TerminalStreams streams);

  [[nodiscard]] zipbuilder::DialogAnswer ShowMessageBox(const zipbuilder::MessageBoxRequest& request) override;
  [[nodiscard]] zipbuilder::PasswordDialogResult ShowPasswordDialog(
      const zipbuilder::PasswordDialogRequest& request) override;
  // A terminal has nothing pending between two questions.
  void ProcessPendingMessages() override {}
  [[nodiscard]] zipbuilder::CursorShape ScreenCursor() const override { return cursor_; }
  void SetScreenCursor(zipbuilder::CursorShape shape) override { cursor_ = shape; }
  [[nodiscard]] std::string ApplicationTitle() const override { return "zipbuilder"; }
  [[nodiscard]] zipbuilder::WindowHandle ApplicationWindow() const override { return nullptr; }

 private:
  struct Choice {
    zipbuilder::DialogAnswer Answer;
    std::string_view Label;
  };

  [[nodiscard]] zipbuilder::DialogAnswer AskChoice(std::span<const Choice> choices, std::size_t defaultIndex);
  [[nodiscard]] bool ReadHiddenLine(std::string& line);
  void SetEcho(Echo echo);

  TerminalStreams streams_;
  zipbuilder::CursorShape cursor_ = zipbuilder::CursorShape::Default;
};

}  // namespace tools
