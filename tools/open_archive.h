// Opening an archive for a subcommand, and keeping apart what the component
// reports while it works: warnings (the archive is usable) and the one failure
// that ends the subcommand.
//
// List never fails towards its caller: it reports and empties ZipFileName. And
// a name that does not exist is not an error to it at all, so the tool checks
// for that itself.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/command_line.h"
#include "zipbuilder/zip_builder.h"

namespace tools {

struct ComponentReport {
  int Id;
  std::string Text;
};

// Records every report of `component` (its OnMessage) from construction on.
// The component must outlive the log.
class ReportLog {
 public:
  explicit ReportLog(zipbuilder::TZipBuilder& component);
  ~ReportLog();
  ReportLog(const ReportLog&) = delete;
  ReportLog& operator=(const ReportLog&) = delete;

  [[nodiscard]] const std::vector<ComponentReport>& Reports() const { return reports_; }
  [[nodiscard]] std::size_t Count() const { return reports_.size(); }

  // One line per report from `first` up to (not including) `end`, in the form
  // of a failure line, on `err`.
  void WriteReports(std::ostream& err, std::size_t first, std::size_t end) const;

 private:
  zipbuilder::TZipBuilder& component_;
  std::vector<ComponentReport> reports_;
};

enum class DirectoryOnlyEntries { Skip, Keep };

// Assigns `archivePath` as the component's ZipFileName, which lists it. Writes
// the warnings of the listing to `err` and answers Success, or writes them and
// the failure and answers OperationFailed (11001 for a missing file).
[[nodiscard]] ExitCode OpenArchive(zipbuilder::TZipBuilder& component, const ReportLog& log,
                                   std::string_view archivePath, DirectoryOnlyEntries directories, std::ostream& err);

// The component of one subcommand with the log of its reports, which it outlives.
class LoggedComponent {
 public:
  explicit LoggedComponent(CommandContext& context) : component_(NewComponent(context)), log_(*component_) {}

  [[nodiscard]] zipbuilder::TZipBuilder& Component() { return *component_; }
  [[nodiscard]] const ReportLog& Log() const { return log_; }

  // OpenArchive on the component.
  [[nodiscard]] ExitCode Open(std::string_view archivePath, DirectoryOnlyEntries directories, std::ostream& err) {
    return OpenArchive(*component_, log_, archivePath, directories, err);
  }

 private:
  std::unique_ptr<zipbuilder::TZipBuilder> component_;
  ReportLog log_;
};

}  // namespace tools
