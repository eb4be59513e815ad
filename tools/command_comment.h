// zipbuilder comment ARCHIVE [--set TEXT]: shows the archive comment, or
// replaces it in place. TEXT is UTF-8, as every command line of the tool.
#pragma once

#include "tools/command_line.h"

namespace tools {

[[nodiscard]] ExitCode RunCommentCommand(CommandContext& context);

}  // namespace tools
