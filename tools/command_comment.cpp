#include "tools/command_comment.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

#include "platform/text.h"
#include "tools/open_archive.h"
#include "zipbuilder/message_table.h"

namespace tools {

namespace {

constexpr std::string_view CommandName = "comment";
// The end record keeps the comment's length in 16 bits.
constexpr std::size_t LongestComment = 65535;

struct CommentArguments {
  std::string ArchivePath;
  std::optional<std::string> NewComment;  // UTF-8, as given
  std::string Problem;                    // non-empty when the command line was not understood
};

CommentArguments ParseCommentArguments(std::span<const std::string> arguments) {
  CommentArguments parsed;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (argument == "--set") {
      if (index + 1 == arguments.size()) {
        parsed.Problem = "--set needs the TEXT of the comment";
        return parsed;
      }
      parsed.NewComment = arguments[++index];
    } else if (argument.starts_with('-') && argument.size() > 1) {
      parsed.Problem = "unknown option '" + argument + "'";
      return parsed;
    } else if (!parsed.ArchivePath.empty()) {
      parsed.Problem = "more than one ARCHIVE";
      return parsed;
    } else {
      parsed.ArchivePath = argument;
    }
  }
  if (parsed.ArchivePath.empty()) {
    parsed.Problem = "missing ARCHIVE";
  }
  return parsed;
}

bool IsListingWarning(const ComponentReport& report) {
  return report.Id == zipbuilder::message_id::ListStructureWarning ||
         report.Id == zipbuilder::message_id::ListGarbageWarning;
}

ExitCode ShowComment(const zipbuilder::TZipBuilder& component, std::ostream& out) {
  const std::string comment = platform::AnsiToUtf8(component.ArchiveComment());
  if (!comment.empty()) {
    out << comment << '\n';
  }
  return ExitCode::Success;
}

// The writer reports a failure and, when it failed half-way through the end
// record, lists the archive again, which may add warnings of its own.
ExitCode ReplaceComment(zipbuilder::TZipBuilder& component, const ReportLog& log, const std::string& ansiComment,
                        std::ostream& err) {
  const std::size_t firstReport = log.Count();
  component.SetArchiveComment(ansiComment);
  const auto reports = std::span(log.Reports()).subspan(firstReport);
  log.WriteReports(err, firstReport, log.Count());
  const bool failed = std::ranges::any_of(reports, [](const ComponentReport& report) {
    return !IsListingWarning(report);
  });
  return failed ? ExitCode::OperationFailed : ExitCode::Success;
}

}  // namespace

ExitCode RunCommentCommand(CommandContext& context) {
  const CommentArguments arguments = ParseCommentArguments(context.Arguments);
  if (!arguments.Problem.empty()) {
    return FailWithUsage(context, CommandName, arguments.Problem);
  }
  const std::optional<std::string> ansiComment =
      arguments.NewComment ? std::optional(platform::Utf8ToAnsi(*arguments.NewComment)) : std::nullopt;
  if (ansiComment && ansiComment->size() > LongestComment) {
    return FailWithUsage(context, CommandName, "the comment is longer than 65535 bytes");
  }
  const auto component = NewComponent(context);
  const ReportLog log(*component);
  if (const ExitCode opened =
          OpenArchive(*component, log, arguments.ArchivePath, DirectoryOnlyEntries::Skip, context.Err);
      opened != ExitCode::Success) {
    return opened;
  }
  if (!ansiComment) {
    return ShowComment(*component, context.Out);
  }
  return ReplaceComment(*component, log, *ansiComment, context.Err);
}

}  // namespace tools
