#include "engines/zip/delete_operation.h"

#include <algorithm>

#include "engines/shared/wildcard.h"
#include "engines/zip/archive_output.h"
#include "engines/zip/central_directory.h"
#include "engines/zip/entry_copying.h"
#include "engines/zip/existing_archive.h"
#include "engines/zip/stored_names.h"

namespace engines::zip {

namespace {

// The component hands delete lines over as the user typed them; a leading ">" or
// "|" and a "<password" tail mean nothing to a delete and can be no part of a name.
std::string WithoutAddMarkers(std::string_view line) {
  if (!line.empty() && (line.front() == '>' || line.front() == '|')) {
    line.remove_prefix(1);
  }
  return std::string(line.substr(0, line.find('<')));
}

// Specifications arrive in the ANSI code page; names in the archive may be UTF-8
// or OEM, so a specification is tried in the forms the engine stores names in
// as well: UTF-8 (what Automatic stores) and OEM.
std::vector<std::string> SpecificationForms(const ZipCommand& command) {
  std::vector<std::string> forms;
  for (const FileSpecification& specification : command.specifications) {
    const std::string pattern = WithoutAddMarkers(specification.pattern);
    forms.push_back(pattern);
    for (const zipformat::CodePageChoice choice : {zipformat::CodePageChoice::Automatic, zipformat::CodePageChoice::Oem}) {
      std::string encoded = EncodeForArchive(pattern, choice).bytes;
      if (encoded != pattern) {
        forms.push_back(std::move(encoded));
      }
    }
  }
  return forms;
}

class Deleter {
 public:
  Deleter(const ZipCommand& command, CallbackChannel& channel) : command_(command), channel_(channel) {}

  std::int32_t Run() {
    zipformat::DirectoryProblem problem = zipformat::DirectoryProblem::None;
    std::optional<ExistingArchive> opened = ExistingArchive::Open(command_.archivePath, problem);
    if (!opened) {
      Report(zipformat::IsUnsupportedLayout(problem) ? ZipErrorValue::ArchiveUnsupported
                                                     : ZipErrorValue::ArchiveUnreadable,
             "Cannot delete from " + command_.archivePath + ": " +
                 std::string(zipformat::DescribeDirectoryProblem(problem)));
      return 0;
    }
    archive_.emplace(std::move(*opened));
    const std::vector<bool> removed = Select();
    const auto count = static_cast<std::int32_t>(std::count(removed.begin(), removed.end(), true));
    if (count == 0) {
      Report(ZipErrorValue::NothingMatched, "Nothing to delete: no entry of " + command_.archivePath + " matches");
      return 0;
    }
    if (channel_.FileCount(static_cast<std::uint32_t>(count)) == Flow::Stop) {
      return 0;
    }
    return Rewrite(removed) ? count : 0;
  }

 private:
  void Report(ZipErrorValue error, const std::string& text) { static_cast<void>(channel_.Message(error, text)); }

  std::vector<bool> Select() const {
    const std::vector<std::string> forms = SpecificationForms(command_);
    std::vector<bool> removed;
    for (const ExistingEntry& entry : archive_->Entries()) {
      const auto selects = [&entry](const std::string& pattern) { return SelectsEntry(pattern, entry.name); };
      removed.push_back(std::any_of(forms.begin(), forms.end(), selects) &&
                        std::none_of(command_.exclusions.begin(), command_.exclusions.end(), selects));
    }
    return removed;
  }

  bool Rewrite(const std::vector<bool>& removed) {
    std::optional<ArchiveOutput> output = ArchiveOutput::Create(command_.archivePath, command_.tempFolder);
    if (!output) {
      Report(ZipErrorValue::WriteError, "Cannot create a temporary file for " + command_.archivePath);
      return false;
    }
    if (!CopyPrefix(*archive_, *output)) {
      Report(ZipErrorValue::ArchiveUnreadable, "Cannot read " + command_.archivePath);
      return false;
    }
    std::vector<CentralEntry> directory;
    const std::vector<ExistingEntry>& entries = archive_->Entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
      if (removed[index]) {
        if (channel_.NewFile(entries[index].name, entries[index].header.uncompressedSize) == Flow::Stop) {
          return false;
        }
        if (command_.verbosity == Verbosity::Verbose &&
            channel_.Message(ZipErrorValue::None, "deleting: " + entries[index].name) == Flow::Stop) {
          return false;
        }
        continue;
      }
      std::optional<CentralEntry> copied = CopyEntry(*archive_, entries[index], *output);
      if (!copied) {
        Report(ZipErrorValue::ArchiveUnreadable, "Cannot copy " + entries[index].name + " from " + command_.archivePath);
        return false;
      }
      directory.push_back(std::move(*copied));
    }
    const std::string comment = command_.archiveComment.value_or(archive_->Comment());
    if (WriteCentralDirectory(*output, directory, comment) == DirectoryOutcome::TooLarge) {
      Report(ZipErrorValue::TooLarge, "The archive would pass the limits of a zip archive without Zip64");
      return false;
    }
    std::optional<std::uint32_t> date;
    if (command_.archiveDate == ArchiveDate::NewestEntry) {
      date = NewestDateTime(directory);
    }
    archive_.reset();
    if (!output->Commit(command_.oldArchive, date)) {
      Report(ZipErrorValue::WriteError, output->CommitFailureText());
      return false;
    }
    static_cast<void>(channel_.BatchEnd());
    return true;
  }

  const ZipCommand& command_;
  CallbackChannel& channel_;
  std::optional<ExistingArchive> archive_;
};

}  // namespace

bool SelectsEntry(std::string_view specification, std::string_view name) {
  if (shared::MatchesWildcard(specification, name)) {
    return true;
  }
  const bool folderEntry = !name.empty() && shared::IsFolderSeparator(name.back());
  return folderEntry && shared::MatchesWildcard(specification, name.substr(0, name.size() - 1));
}

std::int32_t DeleteFromArchive(const ZipCommand& command, CallbackChannel& channel) {
  return Deleter(command, channel).Run();
}

}  // namespace engines::zip
