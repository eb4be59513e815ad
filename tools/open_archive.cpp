#include "tools/open_archive.h"

#include <ostream>

#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"

namespace tools {

ReportLog::ReportLog(zipbuilder::TZipBuilder& component) : component_(component) {
  // The event's own number is 0 for the component's reports: the message ID is
  // what ErrCode holds at that moment.
  component_.OnMessage = [this](zipbuilder::TZipBuilder& sender, int /*eventCode*/, const std::string& message) {
    reports_.push_back({sender.ErrCode(), message});
  };
}

ReportLog::~ReportLog() { component_.OnMessage = nullptr; }

void ReportLog::WriteReports(std::ostream& err, std::size_t first, std::size_t end) const {
  for (std::size_t index = first; index < end && index < reports_.size(); ++index) {
    // Warnings take the failure line's form; only the exit code tells them apart.
    static_cast<void>(FailWithMessage(err, reports_[index].Id, reports_[index].Text));
  }
}

ExitCode OpenArchive(zipbuilder::TZipBuilder& component, const ReportLog& log, std::string_view archivePath,
                     DirectoryOnlyEntries directories, std::ostream& err) {
  if (!zipbuilder::FileExists(archivePath)) {
    constexpr int missing = zipbuilder::message_id::InputFileMissing;
    return FailWithMessage(err, missing, zipbuilder::MessageTextOrMissing(missing));
  }
  component.SetUseDirOnlyEntries(directories == DirectoryOnlyEntries::Keep);
  const std::size_t firstReport = log.Count();
  component.SetZipFileName(archivePath);
  if (!component.ZipFileName().empty()) {
    log.WriteReports(err, firstReport, log.Count());
    return ExitCode::Success;
  }
  // A failed List reports its failure last; what came before were warnings.
  const std::size_t failure = log.Count() > firstReport ? log.Count() - 1 : firstReport;
  log.WriteReports(err, firstReport, failure);
  return FailWithLastReport(err, component);
}

}  // namespace tools
