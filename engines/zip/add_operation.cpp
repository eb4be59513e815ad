#include "engines/zip/add_operation.h"

#include <algorithm>
#include <numeric>

#include "engines/zip/add_planning.h"
#include "engines/zip/archive_output.h"
#include "engines/zip/central_directory.h"
#include "engines/zip/compression_pipeline.h"
#include "engines/zip/entry_copying.h"
#include "engines/zip/entry_writing.h"
#include "engines/zip/existing_archive.h"
#include "platform/files.h"

namespace engines::zip {

namespace zf = zipformat;

namespace {

bool FileExists(std::string_view path) {
  const std::uint32_t attributes = platform::GetFileAttributes(path);
  return attributes != platform::InvalidFileAttributes && (attributes & platform::file_attribute::Directory) == 0;
}

// "adding: docs/a.txt (deflated 62%)", as zip tools say it.
std::string DescribeAdded(const std::string& name, const CentralEntry& written) {
  const zf::CentralHeader& header = written.header;
  const bool deflated = header.method == zf::compression_method::Deflated;
  const std::uint64_t saved = header.uncompressedSize == 0 || header.compressedSize >= header.uncompressedSize
                                  ? 0
                                  : 100 - std::uint64_t{header.compressedSize} * 100 / header.uncompressedSize;
  return "adding: " + name + (deflated ? " (deflated " : " (stored ") + std::to_string(saved) + "%)";
}

ZipErrorValue ErrorOf(zf::DirectoryProblem problem) {
  return zf::IsUnsupportedLayout(problem) ? ZipErrorValue::ArchiveUnsupported : ZipErrorValue::ArchiveUnreadable;
}

std::vector<DataSource> DataSourcesOf(const std::vector<PlannedEntry>& entries) {
  std::vector<DataSource> sources;
  for (const PlannedEntry& entry : entries) {
    if (!entry.HasData()) {
      continue;
    }
    DataSource source;
    source.diskPath = entry.diskPath;
    source.memory = entry.memory;
    source.size = entry.size;
    source.coding = entry.level == 0 ? Coding::Store : Coding::Deflate;
    sources.push_back(std::move(source));
  }
  return sources;
}

class Adder {
 public:
  Adder(const ZipCommand& command, CallbackChannel& channel) : command_(command), channel_(channel) {}

  std::int32_t Run() {
    if (FileExists(command_.archivePath)) {
      zf::DirectoryProblem problem = zf::DirectoryProblem::None;
      std::optional<ExistingArchive> opened = ExistingArchive::Open(command_.archivePath, problem);
      if (!opened) {
        Report(ErrorOf(problem), "Cannot add to " + command_.archivePath + ": " +
                                     std::string(zf::DescribeDirectoryProblem(problem)));
        return 0;
      }
      archive_.emplace(std::move(*opened));
    }
    std::optional<AddPlan> plan = PlanAdd(command_, archive_ ? &*archive_ : nullptr, channel_);
    if (!plan) {
      return 0;
    }
    if (plan->entries.empty()) {
      Report(plan->anythingSelected ? ZipErrorValue::None : ZipErrorValue::NothingMatched,
             plan->anythingSelected ? "Nothing to add: the archive is up to date" : "Nothing to add: no file matches");
      return 0;
    }
    return Write(*plan);
  }

 private:
  // The command ends after every report but the last one of moving; a stop answer changes nothing.
  void Report(ZipErrorValue error, const std::string& text) { static_cast<void>(channel_.Message(error, text)); }

  std::int32_t Write(AddPlan& plan) {
    const std::uint64_t total = std::accumulate(plan.entries.begin(), plan.entries.end(), std::uint64_t{0},
                                                [](std::uint64_t sum, const PlannedEntry& entry) { return sum + entry.size; });
    if (channel_.FileCount(static_cast<std::uint32_t>(plan.entries.size())) == Flow::Stop ||
        channel_.TotalSize(total) == Flow::Stop) {
      return 0;
    }
    std::optional<ArchiveOutput> output = ArchiveOutput::Create(command_.archivePath, command_.tempFolder);
    if (!output) {
      Report(ZipErrorValue::WriteError, "Cannot create a temporary file for " + command_.archivePath);
      return 0;
    }
    std::vector<CentralEntry> directory;
    if (archive_ && !CopyOldEntries(plan, *output, directory)) {
      return 0;
    }
    const std::int32_t added = WriteNewEntries(plan, *output, directory);
    if (added == 0 || !Finish(*output, directory)) {
      return 0;
    }
    static_cast<void>(channel_.BatchEnd());
    AfterCommit();
    return added;
  }

  bool CopyOldEntries(const AddPlan& plan, ArchiveOutput& output, std::vector<CentralEntry>& directory) {
    if (!CopyPrefix(*archive_, output)) {
      Report(ZipErrorValue::ArchiveUnreadable, "Cannot read " + command_.archivePath);
      return false;
    }
    const std::vector<ExistingEntry>& entries = archive_->Entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
      if (plan.replaced[index]) {
        continue;
      }
      std::optional<CentralEntry> copied = CopyEntry(*archive_, entries[index], output);
      if (!copied) {
        Report(ZipErrorValue::ArchiveUnreadable, "Cannot copy " + entries[index].name + " from " + command_.archivePath);
        return false;
      }
      directory.push_back(std::move(*copied));
    }
    return true;
  }

  std::int32_t WriteNewEntries(AddPlan& plan, ArchiveOutput& output, std::vector<CentralEntry>& directory) {
    CompressionPipeline pipeline(DataSourcesOf(plan.entries), command_.level,
                                 CompressionPool::DefaultWorkerCount());
    EntryWriter writer(output, channel_, pipeline);
    std::int32_t added = 0;
    for (PlannedEntry& entry : plan.entries) {
      if (channel_.NewFile(entry.displayName, entry.size) == Flow::Stop) {
        return 0;
      }
      std::string comment;
      if (channel_.AskFileComment(entry.displayName, comment) == Flow::Stop) {
        return 0;
      }
      entry.comment = EncodeForArchive(comment, command_.codePage);
      switch (writer.Write(entry, directory)) {
        case EntryOutcome::Written:
          ++added;
          written_.push_back(&entry);
          if (command_.verbosity == Verbosity::Verbose &&
              channel_.Message(ZipErrorValue::None, DescribeAdded(entry.displayName, directory.back())) == Flow::Stop) {
            return 0;
          }
          break;
        case EntryOutcome::Skipped:
          break;
        case EntryOutcome::Stopped:
          return 0;
        case EntryOutcome::Failed:
          Report(ZipErrorValue::TooLarge, "The archive would pass 4 GiB, which needs Zip64");
          return 0;
      }
    }
    return added;
  }

  bool Finish(ArchiveOutput& output, const std::vector<CentralEntry>& directory) {
    const std::string comment = command_.archiveComment ? *command_.archiveComment
                                                        : (archive_ ? archive_->Comment() : std::string());
    if (WriteCentralDirectory(output, directory, comment) == DirectoryOutcome::TooLarge) {
      Report(ZipErrorValue::TooLarge, "The archive would pass the limits of a zip archive without Zip64");
      return false;
    }
    std::optional<std::uint32_t> date;
    if (command_.archiveDate == ArchiveDate::NewestEntry) {
      date = NewestDateTime(directory);
    }
    // The old archive must be closed before it can be replaced.
    archive_.reset();
    if (!output.Commit(command_.oldArchive, date)) {
      Report(ZipErrorValue::WriteError, output.CommitFailureText());
      return false;
    }
    return true;
  }

  void AfterCommit() {
    if (command_.archiveBitAfterwards == ArchiveBitAfterwards::Clear) {
      for (const PlannedEntry* entry : written_) {
        const std::uint32_t attributes = platform::GetFileAttributes(entry->diskPath);
        if (entry->origin == EntryOrigin::DiskFile && attributes != platform::InvalidFileAttributes &&
            (attributes & platform::file_attribute::Archive) != 0) {
          static_cast<void>(platform::SetFileAttributes(entry->diskPath,
                                                        attributes & ~platform::file_attribute::Archive));
        }
      }
    }
    if (command_.sources == SourcesAfterwards::Remove) {
      RemoveSources();
    }
  }

  void RemoveSources() {
    std::vector<std::string> folders;
    for (const PlannedEntry* entry : written_) {
      if (entry->origin == EntryOrigin::DiskFolder) {
        folders.push_back(entry->diskPath);
      } else if (entry->origin == EntryOrigin::DiskFile && !platform::DeleteFile(entry->diskPath)) {
        Report(ZipErrorValue::SourceNotRemoved, "Cannot remove " + entry->diskPath + " after adding it");
      }
    }
    // Deepest first, so that a folder is empty when its turn comes; one that is
    // not empty (it holds files that were not added) stays.
    std::sort(folders.begin(), folders.end(), [](const std::string& left, const std::string& right) {
      return left.size() > right.size();
    });
    for (const std::string& folder : folders) {
      static_cast<void>(platform::RemoveDirectory(folder));
    }
  }

  const ZipCommand& command_;
  CallbackChannel& channel_;
  std::optional<ExistingArchive> archive_;
  std::vector<const PlannedEntry*> written_;
};

}  // namespace

std::int32_t AddToArchive(const ZipCommand& command, CallbackChannel& channel) {
  return Adder(command, channel).Run();
}

}  // namespace engines::zip
