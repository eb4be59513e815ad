// zipbuilder delete ARCHIVE SPEC...
//
// Deletes the entries SPEC selects ("*" and "?" allowed) through the component
// and the zip engine. Fails when nothing was deleted.
#pragma once

#include "tools/command_line.h"

namespace tools {

[[nodiscard]] ExitCode RunDeleteCommand(CommandContext& context);

}  // namespace tools
