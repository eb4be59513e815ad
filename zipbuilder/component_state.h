// The state the component's operations share behind its public face: the
// directory of the current archive as List read it, what the drive routines
// learnt, the output of an archive rewrite and the engine bindings, with the
// small enums of the routines that work on them. The operations read and write
// it; owners see the directory and drive parts through TZipBuilder::Directory()
// and Drive().
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engines/engine_records.h"
#include "platform/drives.h"
#include "platform/dynamic_library.h"
#include "platform/files.h"
#include "platform/safe_save.h"

namespace zipbuilder {

// The directory of the current archive, as List read it, plus where the reader
// stands in a spanned set. Rebuilt by List; read by the other operations.
struct DirectoryState {
  std::string RawComment;            // archive comment as stored, not converted
  std::int32_t PrefixSize = 0;       // bytes in front of the archive data
  std::uint32_t DirectoryOffset = 0;  // where the central directory was read from
  std::int32_t EndRecordOffset = 0;  // offset of the end record in its file
  std::int32_t ArchiveEnd = 0;       // offset just past the archive comment
  std::int32_t ArchiveFileSize = 0;  // the file's real size when the end record was searched
  std::int32_t SkippedDirCount = 0;  // directory-only entries left out of DirEntries
  bool StructureWarning = false;     // stored and computed directory offsets differed
  bool Spanned = false;
  std::uint16_t LastDiskNumber = 0;  // the disk that holds the end record
  std::int32_t CurrentDisk = 0;      // the disk (0-based) whose file is open
  std::string WorkFileName;          // the disk or part file being read
  std::string WorkDrive;             // drive root of WorkFileName, "X:\"
  std::string VolumeLabel;           // label of WorkDrive as last read
  platform::FileHandle ArchiveHandle = platform::InvalidFileHandle;
  // The version-made-by bytes of the last central header read; they drive the
  // cpAUTO conversion rule.
  std::uint8_t LastHostSystem = 0;
  std::uint8_t LastVersionMadeBy = 0;
};

// What the drive routines last learnt about WorkDrive.
struct DriveState {
  std::uint32_t VolumeSerial = 0;
  std::int64_t DiskTotalSize = 0;  // -1 when the query failed
  std::int64_t DiskFreeSpace = 0;  // -1 when the query failed; while writing, what is left
  bool ForceDiskPrompt = false;    // ask for a disk even when a usable one is present
};

// Output state shared by the operations that rewrite an archive into a new file.
struct ArchiveRewriteState {
  // The new archive while it is written; empty when none is open.
  std::optional<platform::SafeSave> OutputHandle;
  std::uint32_t SavedFileDate = 0;  // DOS date-time given to the new file
  bool ReportCopyProgress = false;  // raise OnProgress(pgBytesDone) while copying bytes
};

// One engine library while loaded: its handle and the entry points found in it.
struct EngineBinding {
  platform::LibraryHandle Handle = nullptr;
  engines::EngineExecFunction Exec = nullptr;
  engines::EngineVersionFunction Version = nullptr;
  engines::EngineVersionFunction PrivVersion = nullptr;
  // The last results of the version entries, 0 until asked.
  int KeptVersion = 0;
  int KeptPrivVersion = 0;
};

enum class EngineKind : std::uint8_t { Unzip, Zip };
enum class EngineVersionKind : std::uint8_t { Public, Private };

// What LocateEndRecord does where it cannot go on: raise the EZipBuilder that
// says why, or report 11002 for a file it cannot open and answer false.
enum class EndRecordFailure : std::uint8_t { Raise, ReturnFalse };

// Which of the two figures QueryDiskSpace refreshes (bit 0 free, bit 1 total).
enum class DiskSpaceFigures : std::uint8_t { FreeSpace = 1, TotalSize = 2, Both = 3 };

// Sets on fixed and network drives are numbered part files, which are picked,
// never asked for.
[[nodiscard]] constexpr bool HoldsPartFiles(platform::DriveType driveKind) {
  return driveKind == platform::DriveType::Fixed || driveKind == platform::DriveType::Remote;
}

// RemoveFileOrRecycle's answer for a name that names no file; otherwise it
// answers the shell's result, 0 on success.
inline constexpr std::int32_t RemoveFileMissing = -1;

}  // namespace zipbuilder
