// The subcommands of the tool, in the order the help lists them.
#pragma once

#include <span>
#include <string_view>

#include "tools/command_line.h"

namespace tools {

using CommandHandler = ExitCode (*)(CommandContext& context);

struct CommandDescription {
  std::string_view Name;
  std::string_view Synopsis;  // the arguments, as the usage line shows them
  std::string_view Summary;
  // Null while the subcommand is not available yet: it then fails with
  // "not available yet" (OperationFailed), but its usage is shown all the same.
  CommandHandler Handler;
};

[[nodiscard]] std::span<const CommandDescription> Commands();
[[nodiscard]] const CommandDescription* FindCommand(std::string_view name);

}  // namespace tools
