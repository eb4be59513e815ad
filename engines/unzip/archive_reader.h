// Reading an archive file: the file itself, and through the zip format core its
// end record, its central directory and where each entry's data starts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "zipformat/local_entry.h"
#include "zipformat/read_at.h"
#include "zipformat/single_disk_directory.h"

namespace engines::unzip {

// One central directory entry with its raw (undecoded) name and comment.
using ArchiveEntry = zipformat::DirectoryEntry;

// An open archive file; closes itself.
class ArchiveFile {
 public:
  ArchiveFile() = default;
  ~ArchiveFile();
  ArchiveFile(ArchiveFile&& other) noexcept;
  ArchiveFile& operator=(ArchiveFile&& other) noexcept;
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  // Nothing when the file cannot be opened; the platform's last error says why.
  [[nodiscard]] static std::optional<ArchiveFile> Open(std::string_view path);

  [[nodiscard]] std::int64_t Size() const { return size_; }
  // Reads exactly `into.size()` bytes at `offset`; false on any shortfall. Small
  // reads are served from a window read ahead, since entries are mostly read in
  // archive order: a small entry then costs no system call of its own.
  [[nodiscard]] bool ReadAt(std::int64_t offset, std::span<std::byte> into) const;
  // ReadAt as the zip format core reads; valid while the file is.
  [[nodiscard]] zipformat::ReadAtFunction Reader() const;

 private:
  [[nodiscard]] bool ReadFromFile(std::int64_t offset, std::span<std::byte> into) const;

  platform::FileHandle handle_ = platform::InvalidFileHandle;
  std::int64_t size_ = 0;
  mutable std::vector<std::byte> window_;
  mutable std::int64_t windowStart_ = 0;
};

// Its placement's displacement is added to every stored offset: non-zero when
// something was put in front of an archive whose offsets count from its own
// start (a self-extractor stub).
using CentralDirectory = zipformat::SingleDiskDirectory;

[[nodiscard]] std::optional<CentralDirectory> ReadCentralDirectory(const ArchiveFile& archive,
                                                                   zipformat::DirectoryProblem& problem);

// Where an entry's stored bytes (encryption header included) begin, from its
// local header; nothing when that header is unreadable or the data would run
// past the end of the file.
[[nodiscard]] std::optional<zipformat::LocalEntry> LocateEntryData(const ArchiveFile& archive,
                                                                   const CentralDirectory& directory,
                                                                   const ArchiveEntry& entry);

}  // namespace engines::unzip
