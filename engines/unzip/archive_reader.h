// Reading an archive file: its end record, its central directory and where each
// entry's data starts. Parsing is zip_format's; this layer finds the bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "zipformat/records.h"
#include "platform/files.h"

namespace engines::unzip {

// One central directory entry with its raw (undecoded) name and comment.
struct ArchiveEntry {
  std::uint32_t index = 0;  // position in the central directory, from 0
  zipformat::CentralHeader header;
  std::string rawName;
  std::string rawComment;
};

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

 private:
  [[nodiscard]] bool ReadFromFile(std::int64_t offset, std::span<std::byte> into) const;

  platform::FileHandle handle_ = platform::InvalidFileHandle;
  std::int64_t size_ = 0;
  mutable std::vector<std::byte> window_;
  mutable std::int64_t windowStart_ = 0;
};

struct CentralDirectory {
  std::vector<ArchiveEntry> entries;
  // Added to every stored offset: non-zero when something was put in front of an
  // archive whose offsets count from its own start (a self-extractor stub).
  std::int64_t displacement = 0;
};

enum class DirectoryProblem { None, NoEndRecord, Spanned, Zip64, Unreadable, Damaged };

[[nodiscard]] std::optional<CentralDirectory> ReadCentralDirectory(const ArchiveFile& archive,
                                                                   DirectoryProblem& problem);
[[nodiscard]] std::string_view DescribeDirectoryProblem(DirectoryProblem problem);

// Where an entry's stored bytes (encryption header included) begin, from its
// local header; nothing when that header is unreadable or the data would run
// past the end of the file.
struct EntryData {
  std::int64_t offset = 0;
  zipformat::LocalHeader localHeader;
};
[[nodiscard]] std::optional<EntryData> LocateEntryData(const ArchiveFile& archive, const CentralDirectory& directory,
                                                       const ArchiveEntry& entry);

}  // namespace engines::unzip
