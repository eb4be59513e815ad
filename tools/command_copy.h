// zipbuilder copy SOURCE DESTINATION NAME... [--overwrite always|never|confirm] [--delete-source]
//
// Copies the entries NAME names, exactly as list shows them ("/" and "\" are
// the same, letter case is not told apart), from SOURCE into DESTINATION as
// they are compressed, without an engine: encrypted entries need no password.
// DESTINATION is rewritten with its own entries, folder entries included, in
// their order and the new ones behind them. An entry that DESTINATION holds
// already is replaced (always), kept (never) or asked for (confirm, the
// default): the question needs a terminal on standard input, and without one
// the entry is kept. --delete-source then deletes the copied entries, not the
// kept ones, from SOURCE with the zip engine. A DESTINATION that is not there
// is made, holding the copied entries.
#pragma once

#include "tools/command_line.h"

namespace tools {

[[nodiscard]] ExitCode RunCopyCommand(CommandContext& context);

}  // namespace tools
