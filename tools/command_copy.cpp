#include "tools/command_copy.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tools/open_archive.h"
#include "tools/progress_line.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/path_text.h"

namespace tools {

namespace {

constexpr std::string_view CommandName = "copy";

using zipbuilder::CopySourceEntries;
using zipbuilder::OvrOpts;

struct CopyArguments {
  std::string SourcePath;
  std::string DestinationPath;
  std::vector<std::string> Names;  // UTF-8 as given
  OvrOpts Overwrite = OvrOpts::OvrConfirm;
  CopySourceEntries SourceEntries = CopySourceEntries::Keep;
  std::string Problem;  // non-empty when the command line was not understood
};

std::optional<OvrOpts> OverwriteModeOf(std::string_view value) {
  if (value == "always") {
    return OvrOpts::OvrAlways;
  }
  if (value == "never") {
    return OvrOpts::OvrNever;
  }
  if (value == "confirm") {
    return OvrOpts::OvrConfirm;
  }
  return std::nullopt;
}

void TakeOperand(const std::string& argument, CopyArguments& parsed) {
  if (parsed.SourcePath.empty()) {
    parsed.SourcePath = argument;
  } else if (parsed.DestinationPath.empty()) {
    parsed.DestinationPath = argument;
  } else {
    parsed.Names.push_back(argument);
  }
}

CopyArguments ParseCopyArguments(std::span<const std::string> arguments) {
  CopyArguments parsed;
  bool optionsEnded = false;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == "--overwrite") {
      const std::optional<OvrOpts> mode =
          index + 1 < arguments.size() ? OverwriteModeOf(arguments[++index]) : std::nullopt;
      if (!mode) {
        parsed.Problem = "--overwrite needs always, never or confirm";
        return parsed;
      }
      parsed.Overwrite = *mode;
    } else if (!optionsEnded && argument == "--delete-source") {
      parsed.SourceEntries = CopySourceEntries::DeleteCopied;
    } else if (!optionsEnded && argument.starts_with('-') && argument.size() > 1) {
      parsed.Problem = "unknown option '" + argument + "'";
      return parsed;
    } else {
      TakeOperand(argument, parsed);
    }
  }
  if (parsed.SourcePath.empty()) {
    parsed.Problem = "missing SOURCE";
  } else if (parsed.DestinationPath.empty()) {
    parsed.Problem = "missing DESTINATION";
  } else if (parsed.Names.empty()) {
    parsed.Problem = "missing NAME";
  }
  return parsed;
}

// The component wants the names as List gives them: ANSI, "\" between folders.
// A name given twice would be copied, and asked for, twice.
zipbuilder::StringList ComponentNames(const std::vector<std::string>& names) {
  zipbuilder::StringList converted;
  for (const std::string& name : names) {
    std::string componentName = zipbuilder::SlashesToBackslashes(platform::Utf8ToAnsi(name));
    const bool given = std::ranges::any_of(converted, [&componentName](const std::string& earlier) {
      return platform::CompareTextIgnoreCase(earlier, componentName) == 0;
    });
    if (!given) {
      converted.push_back(std::move(componentName));
    }
  }
  return converted;
}

// What a side that is not there yet comes to.
enum class MissingArchive { Fails, IsMade };

// Folder entries are entries to copy, and the destination is rebuilt from its
// listing: without them it would lose its own. An archive that is there is
// listed first, so that a damaged one is reported as such.
ExitCode OpenSide(CommandContext& context, LoggedComponent& side, std::string_view role, const std::string& path,
                  MissingArchive missing) {
  // The tool replaces archives; nothing goes to a recycle bin.
  side.Component().SetHowToDelete(zipbuilder::DeleteOpts::htdFinal);
  if (zipbuilder::FileExists(path)) {
    return side.Open(path, DirectoryOnlyEntries::Keep, context.Err);
  }
  if (missing == MissingArchive::IsMade) {
    // Named, not listed: the copy makes it.
    side.Component().SetZipFileName(path);
    return ExitCode::Success;
  }
  context.Err << "zipbuilder: " << role << ' ' << path << " does not exist\n";
  return ExitCode::OperationFailed;
}

bool AnyFailure(const ReportLog& log, std::size_t first) {
  return std::ranges::any_of(std::span(log.Reports()).subspan(first),
                             [](const ComponentReport& report) { return report.Id != 0; });
}

struct CopyOutcome {
  std::size_t Copied = 0;
  int Deleted = 0;  // from the source, with --delete-source
  zipbuilder::StringList Kept;
};

ExitCode Summarise(CommandContext& context, const CopyArguments& arguments, const CopyOutcome& outcome,
                   bool reportsFailed) {
  const bool deletes = arguments.SourceEntries == CopySourceEntries::DeleteCopied && outcome.Copied > 0;
  const bool failed = reportsFailed || (deletes && static_cast<std::size_t>(outcome.Deleted) != outcome.Copied);
  std::ostream& stream = failed ? context.Err : context.Out;
  if (failed) {
    stream << "zipbuilder: ";
  }
  stream << outcome.Copied << (outcome.Copied == 1 ? " entry" : " entries") << " copied to "
         << arguments.DestinationPath;
  if (deletes) {
    stream << ", " << outcome.Deleted << " deleted from " << arguments.SourcePath;
  }
  for (std::size_t index = 0; index < outcome.Kept.size(); ++index) {
    stream << (index == 0 ? "; kept: " : ", ") << platform::AnsiToUtf8(outcome.Kept[index]);
  }
  stream << '\n';
  return failed ? ExitCode::OperationFailed : ExitCode::Success;
}

}  // namespace

ExitCode RunCopyCommand(CommandContext& context) {
  const CopyArguments arguments = ParseCopyArguments(context.Arguments);
  if (!arguments.Problem.empty()) {
    return FailWithUsage(context, CommandName, arguments.Problem);
  }
  LoggedComponent sourceSide(context);
  if (const ExitCode opened = OpenSide(context, sourceSide, "SOURCE", arguments.SourcePath, MissingArchive::Fails);
      opened != ExitCode::Success) {
    return opened;
  }
  LoggedComponent destinationSide(context);
  if (const ExitCode opened =
          OpenSide(context, destinationSide, "DESTINATION", arguments.DestinationPath, MissingArchive::IsMade);
      opened != ExitCode::Success) {
    return opened;
  }
  zipbuilder::TZipBuilder& source = sourceSide.Component();
  zipbuilder::TZipBuilder& destination = destinationSide.Component();
  const ReportLog& sourceLog = sourceSide.Log();
  const ReportLog& destinationLog = destinationSide.Log();
  const zipbuilder::StringList names = ComponentNames(arguments.Names);
  source.SetFSpecArgs(names);
  const std::size_t firstSourceReport = sourceLog.Count();
  const std::size_t firstDestinationReport = destinationLog.Count();
  int result = zipbuilder::rewrite_result::Success;
  {
    // Copying raises no progress; deleting from the source does.
    std::optional<FollowedProgress> progress;
    if (arguments.SourceEntries == CopySourceEntries::DeleteCopied) {
      progress.emplace(context, source);
    }
    result = source.CopyZippedFiles(destination, arguments.SourceEntries, arguments.Overwrite);
  }
  sourceLog.WriteReports(context.Err, firstSourceReport, sourceLog.Count());
  destinationLog.WriteReports(context.Err, firstDestinationReport, destinationLog.Count());
  if (result == zipbuilder::rewrite_result::Busy) {
    context.Err << "zipbuilder: the archive is busy with another operation\n";
    return ExitCode::OperationFailed;
  }
  if (result != zipbuilder::rewrite_result::Success) {
    return ExitCode::OperationFailed;  // the component's report is out already
  }
  const CopyOutcome outcome{names.size() - source.FSpecArgs().size(), source.ProcessedCount(), source.FSpecArgs()};
  // The destination is listed again, and the source after a deletion: a failed
  // listing was reported above.
  const bool reportsFailed = AnyFailure(sourceLog, firstSourceReport) || destination.ZipFileName().empty();
  return Summarise(context, arguments, outcome, reportsFailed);
}

}  // namespace tools
