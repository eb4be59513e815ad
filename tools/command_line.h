// The command-line tool's frame: the exit codes every subcommand keeps, the
// context a subcommand runs in, and the dispatch from the command line to the
// subcommand table (command_table.cpp). Each subcommand lives in a file of its
// own (command_<name>.cpp) and is one row of that table.
#pragma once

#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "zipbuilder/toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace tools {

enum class ExitCode : int {
  Success = 0,
  OperationFailed = 1,  // the message and its number are on standard error
  UsageError = 2,
};

struct CommandContext {
  std::span<const std::string> Arguments;  // what follows the subcommand's name
  std::ostream& Out;                       // results
  std::ostream& Err;                       // failures and questions
  zipbuilder::Toolkit& UserInterface;
};

// Runs the command line `arguments` (without the program's own name).
[[nodiscard]] ExitCode RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
                                      zipbuilder::Toolkit& userInterface);

// --- for subcommands

// A component for one subcommand. It is Unattended: a failed operation shows no
// box but ends in one error line (FailWithLastReport); questions that are asked
// regardless still reach the terminal through the context's toolkit.
[[nodiscard]] std::unique_ptr<zipbuilder::TZipBuilder> NewComponent(CommandContext& context);

// "zipbuilder: <text> (<id>)" on standard error, line breaks of the text folded
// into blanks; answers OperationFailed.
[[nodiscard]] ExitCode FailWithMessage(std::ostream& err, int messageId, std::string_view text);
// The same for the component's last report (ErrCode, LastMessage).
[[nodiscard]] ExitCode FailWithLastReport(std::ostream& err, const zipbuilder::TZipBuilder& component);
// "zipbuilder: <problem>" and the subcommand's usage on standard error; answers UsageError.
[[nodiscard]] ExitCode FailWithUsage(CommandContext& context, std::string_view commandName, std::string_view problem);

}  // namespace tools
