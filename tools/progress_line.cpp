#include "tools/progress_line.h"

#include <algorithm>
#include <cstddef>
#include <ostream>

#include "tools/terminal.h"

namespace tools {

namespace {

constexpr std::size_t LineWidth = 78;

}  // namespace

ProgressLine::~ProgressLine() {
  if (drawn_) {
    err_ << '\n' << std::flush;
  }
}

void ProgressLine::EndLine() {
  if (drawn_) {
    err_ << '\n';
    drawn_ = false;
  }
}

void ProgressLine::Follow(const FileTally& tally, zipbuilder::ProgressType type, const std::string& name,
                          std::int32_t value) {
  using zipbuilder::ProgressType;
  if (type == ProgressType::pgTotalSize) {
    totalBytes_ = value;
    return;
  }
  if (type == ProgressType::pgBytesDone) {
    doneBytes_ += value;
  } else if (type == ProgressType::pgNewFile) {
    name_ = name;
  } else {
    return;
  }
  // Rename counts the headers it writes as done bytes but not in its total.
  const std::int64_t percent = totalBytes_ > 0 ? std::min<std::int64_t>(doneBytes_ * 100 / totalBytes_, 100) : 0;
  if (type == ProgressType::pgBytesDone && percent == shownPercent_) {
    return;
  }
  shownPercent_ = percent;
  Draw(tally, percent);
}

void ProgressLine::Draw(const FileTally& tally, std::int64_t percent) {
  std::string line = std::to_string(percent) + "% " + std::to_string(tally.Started) + "/" +
                     std::to_string(tally.Selected) + " " + name_;
  line.resize(LineWidth, ' ');
  err_ << '\r' << line << std::flush;
  drawn_ = true;
}

void CountFiles(FileTally& tally, zipbuilder::ProgressType type, std::int32_t value) {
  if (type == zipbuilder::ProgressType::pgFileCount) {
    tally.Selected = value;
  } else if (type == zipbuilder::ProgressType::pgNewFile) {
    ++tally.Started;
  }
}

FollowedProgress::FollowedProgress(CommandContext& context, zipbuilder::TZipBuilder& component)
    : component_(component) {
  if (StandardErrorIsTerminal()) {
    line_.emplace(context.Err);
  }
  component_.OnProgress = [this](zipbuilder::TZipBuilder&, zipbuilder::ProgressType type, const std::string& name,
                                 std::int32_t value) {
    CountFiles(tally_, type, value);
    if (line_) {
      line_->Follow(tally_, type, name, value);
    }
  };
}

FollowedProgress::~FollowedProgress() { component_.OnProgress = nullptr; }

ExitCode RunWithProgress(CommandContext& context, zipbuilder::TZipBuilder& component, const ReportLog& log,
                         void (*operation)(zipbuilder::TZipBuilder&)) {
  const std::size_t firstReport = log.Count();
  {
    const FollowedProgress progress(context, component);
    operation(component);
  }
  log.WriteReports(context.Err, firstReport, log.Count());
  bool failed = component.ProcessedCount() <= 0;
  for (std::size_t index = firstReport; index < log.Count(); ++index) {
    failed = failed || log.Reports()[index].Id != 0;
  }
  return failed ? ExitCode::OperationFailed : ExitCode::Success;
}

}  // namespace tools
