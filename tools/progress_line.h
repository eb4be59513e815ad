// The progress line of the subcommands that run an engine: one line on a
// terminal, redrawn in place with a carriage return (no escape codes) whenever a
// file starts or the percentage moves.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "tools/command_line.h"
#include "tools/open_archive.h"
#include "zipbuilder/component_types.h"

namespace tools {

// Files the engine announced and files it has started so far.
struct FileTally {
  int Selected = 0;
  int Started = 0;
};

class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err) : err_(err) {}
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // A report line must not be glued to the end of the progress line.
  void EndLine();

  // One OnProgress event, after `tally` took it into account.
  void Follow(const FileTally& tally, zipbuilder::ProgressType type, const std::string& name, std::int32_t value);

 private:
  void Draw(const FileTally& tally, std::int64_t percent);

  std::ostream& err_;
  std::int64_t totalBytes_ = 0;
  std::int64_t doneBytes_ = 0;
  std::int64_t shownPercent_ = -1;
  std::string name_;
  bool drawn_ = false;
};

// Counts the file count and each started file of one OnProgress event.
void CountFiles(FileTally& tally, zipbuilder::ProgressType type, std::int32_t value);

// While it lives, `component`'s OnProgress counts the files and, when standard
// error is a terminal, draws the progress line there; its end ends the line and
// takes the handler away. Write reports after its end, not onto the line.
class FollowedProgress {
 public:
  FollowedProgress(CommandContext& context, zipbuilder::TZipBuilder& component);
  ~FollowedProgress();
  FollowedProgress(const FollowedProgress&) = delete;
  FollowedProgress& operator=(const FollowedProgress&) = delete;

 private:
  zipbuilder::TZipBuilder& component_;
  FileTally tally_;
  std::optional<ProgressLine> line_;
};

// Runs `operation` (Add or Delete) on `component` with a progress line on a
// terminal, then writes what the component reported meanwhile to standard
// error. Success only when the engine processed something and no report
// carried an error.
[[nodiscard]] ExitCode RunWithProgress(CommandContext& context, zipbuilder::TZipBuilder& component,
                                       const ReportLog& log, void (*operation)(zipbuilder::TZipBuilder&));

}  // namespace tools
