#include "tools/command_delete.h"

#include <ostream>
#include <string>
#include <vector>

#include "tools/open_archive.h"
#include "tools/progress_line.h"

namespace tools {

ExitCode RunDeleteCommand(CommandContext& context) {
  const std::span<const std::string> arguments = context.Arguments;
  for (const std::string& argument : arguments) {
    if (argument.starts_with('-') && argument.size() > 1) {
      return FailWithUsage(context, "delete", "unknown option '" + argument + "'");
    }
  }
  if (arguments.size() < 2) {
    return FailWithUsage(context, "delete", arguments.empty() ? "missing ARCHIVE" : "missing SPEC");
  }
  const std::string& archivePath = arguments.front();
  const auto component = NewComponent(context);
  const ReportLog log(*component);
  if (const ExitCode opened = OpenArchive(*component, log, archivePath, DirectoryOnlyEntries::Keep, context.Err);
      opened != ExitCode::Success) {
    return opened;
  }
  // The tool replaces the archive; nothing goes to a recycle bin.
  component->SetHowToDelete(zipbuilder::DeleteOpts::htdFinal);
  component->SetFSpecArgs(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
  const ExitCode result =
      RunWithProgress(context, *component, log, [](zipbuilder::TZipBuilder& builder) { builder.Delete(); });
  const int deleted = component->ProcessedCount();
  std::ostream& stream = result == ExitCode::Success ? context.Out : context.Err;
  if (result != ExitCode::Success) {
    stream << "zipbuilder: ";
  }
  stream << deleted << (deleted == 1 ? " entry" : " entries") << " deleted from " << archivePath << '\n';
  return result;
}

}  // namespace tools
