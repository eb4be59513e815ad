#include "tools/command_line.h"

#include <ostream>

#include "tools/command_table.h"

namespace tools {

namespace {

constexpr std::string_view ProgramName = "zipbuilder";

bool IsHelpRequest(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument == "help";
}

void WriteUsage(std::ostream& stream) {
  stream << "usage: " << ProgramName << " COMMAND [ARGUMENTS...]\n"
         << "       " << ProgramName << " COMMAND --help\n\n"
         << "Commands:\n";
  for (const CommandDescription& command : Commands()) {
    stream << "  " << command.Name << ' ' << command.Synopsis << "\n      " << command.Summary << '\n';
  }
  stream << "\nExit codes: 0 success, 1 the operation failed (message and number on standard error),\n"
         << "2 the command line was not understood.\n";
}

void WriteCommandUsage(std::ostream& stream, const CommandDescription& command) {
  stream << "usage: " << ProgramName << ' ' << command.Name << ' ' << command.Synopsis << '\n'
         << "  " << command.Summary << '\n';
}

// Message texts may carry line breaks; an error line must stay one line.
std::string OnOneLine(std::string_view text) {
  std::string line;
  bool pendingBlank = false;
  for (char character : text) {
    if (character == '\n' || character == '\r') {
      pendingBlank = !line.empty();
      continue;
    }
    if (pendingBlank && !line.ends_with(' ')) {
      line += ' ';
    }
    pendingBlank = false;
    line += character;
  }
  while (line.ends_with(' ')) {
    line.pop_back();
  }
  return line;
}

ExitCode RunCommand(const CommandDescription& command, CommandContext& context) {
  if (!context.Arguments.empty() && IsHelpRequest(context.Arguments.front())) {
    WriteCommandUsage(context.Out, command);
    return ExitCode::Success;
  }
  if (command.Handler == nullptr) {
    context.Err << ProgramName << ": " << command.Name << " is not available yet\n";
    return ExitCode::OperationFailed;
  }
  return command.Handler(context);
}

}  // namespace

ExitCode RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
                        zipbuilder::Toolkit& userInterface) {
  if (arguments.empty()) {
    WriteUsage(err);
    return ExitCode::UsageError;
  }
  const std::string& name = arguments.front();
  if (IsHelpRequest(name)) {
    WriteUsage(out);
    return ExitCode::Success;
  }
  const CommandDescription* command = FindCommand(name);
  if (command == nullptr) {
    err << ProgramName << ": unknown command '" << name << "'; see '" << ProgramName << " --help'\n";
    return ExitCode::UsageError;
  }
  CommandContext context{arguments.subspan(1), out, err, userInterface};
  return RunCommand(*command, context);
}

std::unique_ptr<zipbuilder::TZipBuilder> NewComponent(CommandContext& context) {
  auto component = std::make_unique<zipbuilder::TZipBuilder>(context.UserInterface);
  component->SetUnattended(true);
  return component;
}

ExitCode FailWithMessage(std::ostream& err, int messageId, std::string_view text) {
  err << ProgramName << ": " << OnOneLine(text) << " (" << messageId << ")\n";
  return ExitCode::OperationFailed;
}

ExitCode FailWithLastReport(std::ostream& err, const zipbuilder::TZipBuilder& component) {
  return FailWithMessage(err, component.ErrCode(), component.LastMessage());
}

ExitCode FailWithUsage(CommandContext& context, std::string_view commandName, std::string_view problem) {
  context.Err << ProgramName << ": " << problem << '\n';
  if (const CommandDescription* command = FindCommand(commandName)) {
    WriteCommandUsage(context.Err, *command);
  }
  return ExitCode::UsageError;
}

}  // namespace tools
