// Adding a subcommand: write command_<name>.cpp with its handler, declare the
// handler here and put it into the row.
#include "tools/command_table.h"

#include <array>

#include "tools/command_add.h"
#include "tools/command_comment.h"
#include "tools/command_copy.h"
#include "tools/command_delete.h"
#include "tools/command_extract.h"
#include "tools/command_list.h"
#include "tools/command_rename.h"

namespace tools {

namespace {

constexpr std::array CommandRows{
    CommandDescription{"list", "[--json] [--dirs] ARCHIVE", "show the entries of an archive", RunListCommand},
    CommandDescription{"extract", "ARCHIVE [-d FOLDER] [-o] [-j] [--freshen|--update] [-P PASSWORD] [SPEC...]",
                       "extract entries into a folder (default: the current one)", RunExtractCommand},
    CommandDescription{"test", "ARCHIVE [-P PASSWORD] [SPEC...]", "check entries without writing them", RunTestCommand},
    CommandDescription{"add",
                       "ARCHIVE [-r] [-j] [-0..-9] [-P PASSWORD] [-x SPEC]... [-m] [-f|-u] [--root DIR] [--name NAME] FILESPEC...",
                       "add files to an archive (made when missing); -r recurses into folders, - reads standard input", RunAddCommand},
    CommandDescription{"delete", "ARCHIVE SPEC...", "delete entries from an archive", RunDeleteCommand},
    CommandDescription{"rename", "ARCHIVE OLD NEW [OLD NEW...] [--date \"YYYY-MM-DD HH:MM:SS\"]",
                       "rename entries where OLD is in their name (OLD/ renames a folder); --date dates them all",
                       RunRenameCommand},
    CommandDescription{"copy", "SOURCE DESTINATION NAME... [--overwrite always|never|confirm] [--delete-source]",
                       "copy entries as they are into another archive (made when missing); confirm asks",
                       RunCopyCommand},
    CommandDescription{"comment", "ARCHIVE [--set TEXT]", "show or set the archive comment", RunCommentCommand},
    CommandDescription{"sfx", "ARCHIVE", "turn an archive into a self-extracting program", nullptr},
    CommandDescription{"unsfx", "PROGRAM", "turn a self-extracting program back into an archive", nullptr},
    CommandDescription{"join", "LAST-PART OUTPUT", "join a spanned archive into one file", nullptr},
};

}  // namespace

std::span<const CommandDescription> Commands() { return CommandRows; }

const CommandDescription* FindCommand(std::string_view name) {
  for (const CommandDescription& command : CommandRows) {
    if (command.Name == name) {
      return &command;
    }
  }
  return nullptr;
}

}  // namespace tools
