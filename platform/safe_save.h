// One careful way to write a file that replaces (or creates) another: the bytes
// go into a temporary file, which takes the target's name only at Commit, once it
// is complete. Until then, and whenever a step fails, the target is as it was.
//
// - The temporary file lies beside the target, so the final move is one rename
//   within a folder. Its name is a prefix, eight hexadecimal digits and ".tmp",
//   created new (CreateNew) and retried on the rare collision; the folder is never
//   scanned.
// - A work folder may be given instead (a TempDir on another volume): Commit then
//   first copies the work file into a temporary file beside the target, so that
//   the replace stays one atomic rename there.
// - Write errors are sticky: the first one is kept with its Win32 error, later
//   writes do nothing, and Commit fails.
// - Commit flushes the data to the device (FlushToDevice: before the move; after
//   it the folder too, so that the new name survives a power loss), sets the DOS
//   date last (any later write would move it again on Windows), closes the file
//   checking the close, and moves it over the target.
// - Not committed (Cancel, a failure, destruction): the temporary file is removed.
//
// Replacing with the old file going to the recycle bin (ReplaceAndRecycleOld)
// keeps, at every instant, the complete old or the complete new file under the
// target's name:
//   1. the new file is complete, flushed and closed under its temporary name;
//   2. the old file gets a second name beside it, "<stem> (old)<extension>" (or
//      " (old 2)", ... when taken), so that the recycle bin shows what it was: a
//      hard link where the file system allows one, else a copy made through a
//      safe save of its own;
//   3. the temporary file replaces the target in one move;
//   4. the second name goes to the recycle bin.
// A failure at 2 or 3 removes what was made; the old file is in place (NotPlaced).
// A failure at 4 moves the second name back over the target (NotPlaced again);
// only when that move fails too does the new file stay, with the old one kept
// under its second name (PlacedOldKept, OldFileName()).
//
// A folder that cannot be flushed after the move (FlushToDevice) fails the
// commit with the new file in place (PlacedNotDurable); the recycling goes on.
//
// Every step is a platform file call, so the fault table (file_faults.h) reaches
// each of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "platform/files.h"

namespace platform {

enum class SaveDurability : std::uint8_t {
  // Flushed before the move, the move itself made durable after it: archives.
  FlushToDevice,
  // The system writes the data back when it likes. The move still shows the
  // complete old or the complete new file, but after a power loss the new one may
  // lack its data. For files that can be made again (extracted files).
  LeaveToSystem,
};

enum class CommitMode : std::uint8_t {
  ReplaceTarget,
  // Only when no file of the target's name exists; refused atomically otherwise,
  // with AlreadyExists.
  CreateOnly,
  // The old file goes to the recycle bin, in the order described above.
  ReplaceAndRecycleOld,
};

// Whether a DOS date that cannot be set fails the commit.
enum class DateRequirement : std::uint8_t { Required, BestEffort };

enum class SaveState : std::uint8_t {
  Open,       // being written
  Committed,  // the target holds the new file; the old one went where the mode said
  Abandoned,  // cancelled, or a write, flush or close failed: the target is as it was
  NotPlaced,  // the new file was complete but could not be put in place: the target is as it was
  PlacedNotDurable,  // the target holds the new file, but its name may not survive a power loss
  PlacedOldKept,     // the target holds the new file; the old one is kept under OldFileName()
};

struct SaveOptions {
  SaveDurability durability = SaveDurability::FlushToDevice;
  // Where the file is written until Commit; empty for beside the target.
  std::string_view workFolder;
  // The temporary files' names begin with this.
  std::string_view temporaryPrefix = "~sav";
};

class SafeSave {
 public:
  // Nothing when no temporary file could be created; the last error says why.
  [[nodiscard]] static std::optional<SafeSave> Create(std::string_view targetPath, const SaveOptions& options);

  SafeSave(SafeSave&& other) noexcept;
  SafeSave& operator=(SafeSave&&) = delete;
  SafeSave(const SafeSave&) = delete;
  SafeSave& operator=(const SafeSave&) = delete;
  ~SafeSave();

  // Each answers false once the save has failed (then nothing is done) or is no
  // longer open.
  // Appends at the end.
  [[nodiscard]] bool Write(std::span<const std::byte> bytes);
  // Replaces bytes written earlier; the end stays where it was unless they reach past it.
  [[nodiscard]] bool WriteAt(std::int64_t offset, std::span<const std::byte> bytes);
  // Cuts the file (or extends it with zeros) to `size`; the next Write goes there.
  [[nodiscard]] bool SetEnd(std::int64_t size);
  // Appends `count` bytes read from `source` at its position; a negative count
  // reads to its end. A failed read or a source that ends early fails the save.
  [[nodiscard]] bool AppendFrom(FileHandle source, std::int64_t count);

  // Appends `count` bytes of `source` from `offset` on, inside the kernel where
  // the platform can. A source that ends early fails the save (with what it held
  // appended).
  [[nodiscard]] bool AppendRange(FileHandle source, std::int64_t offset, std::int64_t count);

  // The DOS date-time Commit gives the file, last.
  void StampDate(std::uint32_t dosDateTime, DateRequirement requirement);

  // Puts the file in place as `mode` says. False when anything failed; State()
  // then tells what the target holds.
  [[nodiscard]] bool Commit(CommitMode mode);
  // Removes the temporary file; the target is left alone. Nothing after Commit.
  void Cancel();

  [[nodiscard]] std::int64_t Size() const { return end_; }
  [[nodiscard]] bool Failed() const { return failed_; }
  // The first failure's Win32 error.
  [[nodiscard]] Win32Error Error() const { return error_; }
  [[nodiscard]] SaveState State() const { return state_; }
  // After a successful Commit: whether a date was asked for and set.
  [[nodiscard]] bool DateStamped() const { return dateStamped_; }
  [[nodiscard]] const std::string& TargetPath() const { return targetPath_; }
  // The file being written: in the work folder, or beside the target.
  [[nodiscard]] const std::string& WorkPath() const { return workPath_; }
  // Where the old file is kept in the state PlacedOldKept.
  [[nodiscard]] const std::string& OldFileName() const { return oldFileName_; }

 private:
  struct Settings {
    SaveDurability durability;
    bool inWorkFolder;
    std::string temporaryPrefix;
  };
  struct Stamp {
    std::uint32_t dosDateTime;
    DateRequirement requirement;
  };

  SafeSave(std::string targetPath, std::string workPath, FileHandle file, Settings settings);
  // Keeps the first failure; the last error (WriteFault when there is none) is its cause.
  void Fail();
  [[nodiscard]] bool WriteWhole(std::span<const std::byte> bytes);
  [[nodiscard]] bool FinishWriting();
  // Closes and removes the file being written (if still there) and sets the state.
  void Settle(SaveState state);
  [[nodiscard]] bool PlaceThroughCopy(CommitMode mode);
  [[nodiscard]] bool PlaceBeside(CommitMode mode);
  [[nodiscard]] bool MoveIntoPlace(MoveMode moveMode);
  [[nodiscard]] bool ReplaceAndRecycle();
  [[nodiscard]] std::optional<std::string> MakeSecondNameOfTarget();
  [[nodiscard]] bool FlushNames();
  // The state after a placed file, depending on whether its name was flushed.
  [[nodiscard]] bool Placed(bool namesFlushed);

  std::string targetPath_;
  std::string workPath_;
  FileHandle file_ = InvalidFileHandle;
  Settings settings_;
  std::optional<Stamp> stamp_;
  std::int64_t end_ = 0;
  bool failed_ = false;
  Win32Error error_ = win32_error::Success;
  SaveState state_ = SaveState::Open;
  bool dateStamped_ = false;
  std::string oldFileName_;
};

// What a failed Commit left, for a report: "it is left as it was", or where the
// new and the old file are. `fileKind` names the file ("archive").
[[nodiscard]] std::string DescribeFailedCommit(const SafeSave& save, std::string_view fileKind);
// "Cannot write <target> (error N); " and what DescribeFailedCommit says.
[[nodiscard]] std::string CommitFailureText(const SafeSave& save, std::string_view fileKind);

// The name beside `path`: its folder part (up to the last "\", "/" or drive
// colon) followed by `name`.
[[nodiscard]] std::string NameBeside(std::string_view path, std::string_view name);
// The folder part of `path` ("." when it has none), without a trailing separator
// unless it is a root ("\", "/", "C:\") or a drive ("C:").
[[nodiscard]] std::string FolderPartOf(std::string_view path);

}  // namespace platform
