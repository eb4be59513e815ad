// zipbuilder add ARCHIVE [-r] [-j] [-0..-9] [-P PASSWORD] [-x SPEC]... [-m] [-f] [-u] [--root DIR] FILESPEC...
// zipbuilder add ARCHIVE [options] [--name NAME] -
//
// Adds files to ARCHIVE (made when it is not there) through the component and
// the zip engine, which is found beside the program. As with Info-ZIP zip: -r
// recurses into folders (a folder FILESPEC then brings everything below it),
// -j drops folder names, -0 stores, -1..-9 choose the level (default 6), -P
// encrypts, -x leaves out what matches, -m removes the sources once the archive
// is written, -f only replaces entries whose file is newer, -u also adds new
// files. Names are stored relative to --root DIR (default: the current folder),
// with "/" between folders. A FILESPEC of "-" (the only one then) adds standard
// input as one entry, named "-" or --name NAME.
#pragma once

#include "tools/command_line.h"

namespace tools {

[[nodiscard]] ExitCode RunAddCommand(CommandContext& context);

}  // namespace tools
