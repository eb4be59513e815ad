// zipbuilder rename ARCHIVE OLD NEW [OLD NEW...] [--date "YYYY-MM-DD HH:MM:SS"]
//
// Renames entries through the component, which rewrites the archive without an
// engine and copies the compressed data as it is (encrypted entries need no
// password). Each OLD is looked for anywhere in every entry's name, ASCII
// letters of either case matching, and replaced by NEW; a later pair sees the
// names the earlier ones made. An OLD ending in "/" names a folder: what is
// below it moves below NEW's folder. A file is never renamed to a name without a
// file-name part (a NEW ending in "/"): that is a usage error. "/" and "\" are
// the same in OLD and NEW. --date gives every entry that local date and time
// (seconds are stored even, years 1980 to 2107); with --date the pairs may be
// left out. Fails when no name changed and no --date was given.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "tools/command_line.h"

namespace tools {

[[nodiscard]] ExitCode RunRenameCommand(CommandContext& context);

// "YYYY-MM-DD HH:MM:SS" as a DOS date-time (date high, time low), odd seconds
// rounded down; nothing for another form or a date that does not exist or that
// DOS cannot hold.
[[nodiscard]] std::optional<std::uint32_t> ParseDosDateTime(std::string_view text);

}  // namespace tools
