#include "tools/progress_line.h"

#include <cstddef>
#include <optional>
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
  const std::int64_t percent = totalBytes_ > 0 ? doneBytes_ * 100 / totalBytes_ : 0;
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

ExitCode RunWithProgress(CommandContext& context, zipbuilder::TZipBuilder& component, const ReportLog& log,
                         void (*operation)(zipbuilder::TZipBuilder&)) {
  FileTally tally;
  std::optional<ProgressLine> progress;
  if (StandardErrorIsTerminal()) {
    progress.emplace(context.Err);
  }
  component.OnProgress = [&tally, &progress](zipbuilder::TZipBuilder&, zipbuilder::ProgressType type,
                                             const std::string& name, std::int32_t value) {
    CountFiles(tally, type, value);
    if (progress) {
      progress->Follow(tally, type, name, value);
    }
  };
  const std::size_t firstReport = log.Count();
  operation(component);
  progress.reset();
  component.OnProgress = nullptr;
  log.WriteReports(context.Err, firstReport, log.Count());
  bool failed = component.ProcessedCount() <= 0;
  for (std::size_t index = firstReport; index < log.Count(); ++index) {
    failed = failed || log.Reports()[index].Id != 0;
  }
  return failed ? ExitCode::OperationFailed : ExitCode::Success;
}

}  // namespace tools
