// The archive being added to or deleted from: its entries as the central
// directory lists them, the bytes in front of its first entry (a self-extractor
// stub, kept as it is) and its comment. Offsets are turned into positions in the
// file, so an archive whose offsets count from its own start rather than the
// file's (a stub put in front without adjusting them) is read correctly too.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "zipformat/read_at.h"
#include "zipformat/records.h"
#include "zipformat/single_disk_directory.h"

namespace engines::zip {

struct ExistingEntry {
  zipformat::CentralHeader header;
  std::string name;  // raw, as stored
  std::string extra;
  std::string comment;
  std::int64_t localHeaderPosition = 0;  // in the file
  std::int64_t storedLength = 0;         // local header, data and data descriptor
};

class ExistingArchive {
 public:
  ExistingArchive() = default;
  ~ExistingArchive();
  ExistingArchive(ExistingArchive&& other) noexcept;
  ExistingArchive& operator=(ExistingArchive&&) = delete;
  ExistingArchive(const ExistingArchive&) = delete;
  ExistingArchive& operator=(const ExistingArchive&) = delete;

  // Nothing when the archive cannot be rewritten: besides what keeps its
  // directory from being read (an archive that cannot be opened is Unreadable),
  // Zip64 records of any kind, offsets that point past their entries, and
  // entries that run into the directory.
  [[nodiscard]] static std::optional<ExistingArchive> Open(std::string_view path,
                                                           zipformat::DirectoryProblem& problem);

  [[nodiscard]] const std::vector<ExistingEntry>& Entries() const { return entries_; }
  [[nodiscard]] std::int64_t PrefixLength() const { return prefixLength_; }
  [[nodiscard]] const std::string& Comment() const { return comment_; }
  // Reads exactly `into.size()` bytes at `position`; false on any shortfall.
  [[nodiscard]] bool ReadAt(std::int64_t position, std::span<std::byte> into) const;

 private:
  [[nodiscard]] zipformat::ReadAtFunction Reader() const;
  [[nodiscard]] zipformat::DirectoryProblem ReadDirectory();
  [[nodiscard]] zipformat::DirectoryProblem TakeEntries(zipformat::SingleDiskDirectory& directory);
  [[nodiscard]] bool MeasureEntry(ExistingEntry& entry, std::int64_t directoryStart) const;

  platform::FileHandle file_ = platform::InvalidFileHandle;
  std::int64_t size_ = 0;
  std::vector<ExistingEntry> entries_;
  std::int64_t prefixLength_ = 0;
  std::string comment_;
};

// Entry names compared as the component and Windows compare them: "/" and "\"
// alike, ASCII letters without regard to case.
[[nodiscard]] bool SameEntryName(std::string_view left, std::string_view right);

}  // namespace engines::zip
