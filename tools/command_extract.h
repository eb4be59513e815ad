// zipbuilder extract ARCHIVE [-d FOLDER] [-o] [-j] [--freshen] [--update] [-P PASSWORD] [SPEC...]
// zipbuilder test ARCHIVE [-P PASSWORD] [SPEC...]
//
// Both succeed only when every selected entry was extracted (or tested)
// correctly; each entry that was not is named on standard error with its reason.
// A FOLDER that does not exist is created (one level), as Info-ZIP unzip does.
// The unzip engine is found by the system search, which on both systems starts
// in the folder of the running program, where the build puts it.
#pragma once

#include <string_view>

#include "tools/command_line.h"
#include "zipbuilder/component_types.h"

namespace tools {

[[nodiscard]] ExitCode RunExtractCommand(CommandContext& context);
[[nodiscard]] ExitCode RunTestCommand(CommandContext& context);

// What standard error says about a skipped entry; "skipped" for a reason that
// only a newer engine knows.
[[nodiscard]] std::string_view SkipReasonText(zipbuilder::UnZipSkipTypes reason);

}  // namespace tools
