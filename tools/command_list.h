// zipbuilder list [--json] [--dirs] ARCHIVE: the entries of an archive, as a
// table for people or as JSON for programs.
//
// The JSON form is one object:
//   {"comment": str, "prefix_size": int, "spanned": bool, "entries": [
//     {"name": str, "size": int, "compressed_size": int, "crc32": int,
//      "method": int, "dos_datetime": int, "encrypted": bool, "comment": str}]}
// with the keys in that order, names as the component lists them (backslash
// separators) and every text in UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "tools/command_line.h"
#include "zipbuilder/zip_builder.h"

namespace tools {

[[nodiscard]] ExitCode RunListCommand(CommandContext& context);

// The listing of what the component holds after a successful List. Each is
// built whole in memory so that the command writes it at once: an archive may
// hold 65,535 entries.
[[nodiscard]] std::string RenderListingTable(const zipbuilder::TZipBuilder& component, std::string_view archiveName);
[[nodiscard]] std::string RenderListingJson(const zipbuilder::TZipBuilder& component);

}  // namespace tools
