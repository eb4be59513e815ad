#include "tools/terminal_toolkit.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <vector>

namespace tools {

namespace {

using zipbuilder::DialogAnswer;
using zipbuilder::MessageBoxButtons;
using zipbuilder::TPasswordButton;

std::string Lowercase(std::string_view text) {
  std::string result(text);
  for (char& character : result) {
    character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
  }
  return result;
}

std::size_t DefaultIndexOf(zipbuilder::MessageBoxDefaultButton button) {
  switch (button) {
    case zipbuilder::MessageBoxDefaultButton::Second:
      return 1;
    case zipbuilder::MessageBoxDefaultButton::Third:
      return 2;
    case zipbuilder::MessageBoxDefaultButton::First:
      break;
  }
  return 0;
}

}  // namespace

TerminalToolkit::TerminalToolkit(TerminalStreams streams) : streams_(std::move(streams)) {}

void TerminalToolkit::SetEcho(Echo echo) {
  if (streams_.SetEcho) {
    streams_.SetEcho(echo);
  }
}

// Accepts a choice by its whole label or by its first letter, without regard
// to case; an empty line takes the default. End of input answers CannotShow.
DialogAnswer TerminalToolkit::AskChoice(std::span<const Choice> choices, std::size_t defaultIndex) {
  if (defaultIndex >= choices.size()) {
    defaultIndex = 0;
  }
  for (;;) {
    for (std::size_t index = 0; index < choices.size(); ++index) {
      streams_.Out << (index == 0 ? "" : " / ") << choices[index].Label;
    }
    streams_.Out << " [" << choices[defaultIndex].Label << "]? " << std::flush;
    std::string line;
    if (!std::getline(streams_.In, line)) {
      streams_.Out << '\n';
      return DialogAnswer::CannotShow;
    }
    const std::string typed = Lowercase(line);
    if (typed.empty()) {
      return choices[defaultIndex].Answer;
    }
    for (const Choice& choice : choices) {
      const std::string label = Lowercase(choice.Label);
      if (typed == label || (typed.size() == 1 && typed[0] == label[0])) {
        return choice.Answer;
      }
    }
  }
}

DialogAnswer TerminalToolkit::ShowMessageBox(const zipbuilder::MessageBoxRequest& request) {
  if (streams_.Input == TerminalInput::NotInteractive) {
    return DialogAnswer::CannotShow;
  }
  streams_.Out << request.Caption << ": " << request.Text << '\n';
  std::vector<Choice> choices;
  switch (request.Buttons) {
    case MessageBoxButtons::Ok:
      choices = {{DialogAnswer::Ok, "Ok"}};
      break;
    case MessageBoxButtons::OkCancel:
      choices = {{DialogAnswer::Ok, "Ok"}, {DialogAnswer::Cancel, "Cancel"}};
      break;
    case MessageBoxButtons::AbortRetryIgnore:
      choices = {{DialogAnswer::Abort, "Abort"}, {DialogAnswer::Retry, "Retry"}, {DialogAnswer::Ignore, "Ignore"}};
      break;
    case MessageBoxButtons::YesNoCancel:
      choices = {{DialogAnswer::Yes, "Yes"}, {DialogAnswer::No, "No"}, {DialogAnswer::Cancel, "Cancel"}};
      break;
    case MessageBoxButtons::YesNo:
      choices = {{DialogAnswer::Yes, "Yes"}, {DialogAnswer::No, "No"}};
      break;
    case MessageBoxButtons::RetryCancel:
      choices = {{DialogAnswer::Retry, "Retry"}, {DialogAnswer::Cancel, "Cancel"}};
      break;
  }
  return AskChoice(choices, DefaultIndexOf(request.DefaultButton));
}

bool TerminalToolkit::ReadHiddenLine(std::string& line) {
  SetEcho(Echo::Off);
  const bool read = static_cast<bool>(std::getline(streams_.In, line));
  SetEcho(Echo::On);
  streams_.Out << '\n';
  return read;
}

// A typed password answers Ok. An empty line answers Cancel, or, when the
// dialog offers more ways out than Cancel, asks which one.
zipbuilder::PasswordDialogResult TerminalToolkit::ShowPasswordDialog(
    const zipbuilder::PasswordDialogRequest& request) {
  if (streams_.Input == TerminalInput::NotInteractive) {
    return {DialogAnswer::Cancel, {}};
  }
  streams_.Out << request.Caption << ": " << request.Prompt << std::flush;
  std::string text;
  if (!ReadHiddenLine(text)) {
    return {DialogAnswer::Cancel, {}};
  }
  if (!text.empty()) {
    return {DialogAnswer::Ok, text};
  }
  std::vector<Choice> exits;
  if (request.Buttons.Contains(TPasswordButton::pbCancel)) {
    exits.push_back({DialogAnswer::Cancel, "Cancel"});
  }
  if (request.Buttons.Contains(TPasswordButton::pbCancelAll)) {
    exits.push_back({DialogAnswer::CancelAll, "All"});
  }
  if (request.Buttons.Contains(TPasswordButton::pbAbort)) {
    exits.push_back({DialogAnswer::Abort, "Abort"});
  }
  if (exits.empty()) {
    return {DialogAnswer::Ok, {}};
  }
  if (exits.size() == 1) {
    return {exits.front().Answer, {}};
  }
  const DialogAnswer answer = AskChoice(exits, 0);
  return {answer == DialogAnswer::CannotShow ? DialogAnswer::Cancel : answer, {}};
}

}  // namespace tools
