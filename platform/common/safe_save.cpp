// The safe save, on top of the platform's file calls so that both backends share
// it and the fault table reaches every step.
//
// Divisions: names; creating and writing; committing; the recycle order.
#include "platform/safe_save.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace platform {

namespace {

// Collisions of generated names are rare; this many tries find a free one in any
// folder that is not being filled with such names on purpose.
constexpr int TemporaryNameAttempts = 100;
constexpr std::uint32_t SecondNameAttempts = 100;
constexpr std::size_t LargestWrite = std::size_t{1} << 30;
constexpr std::size_t CopyChunkSize = std::size_t{256} << 10;

std::uint64_t InitialNameSequence() {
  const auto wallClock = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  const auto steadyClock = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::uint64_t seed = wallClock ^ (steadyClock << 21);
  try {
    std::random_device device;
    seed ^= (std::uint64_t{device()} << 32) | device();
  } catch (const std::exception&) {
    // No random device here: the two clocks alone tell processes apart.
  }
  return seed;
}

// Numbers that differ between calls and between processes, without a system call
// after the first one.
std::uint32_t NextNameNumber() {
  static std::atomic<std::uint64_t> sequence{InitialNameSequence()};
  std::uint64_t value = sequence.fetch_add(0x9E3779B97F4A7C15ull, std::memory_order_relaxed);
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint32_t>(value ^ (value >> 31));
}

std::string TemporaryName(std::string_view prefix) {
  char number[16] = {};
  std::snprintf(number, sizeof number, "%08X", static_cast<unsigned>(NextNameNumber()));
  return std::string(prefix) + number + ".tmp";
}

// Where the name part of `path` begins: after the last separator, or after the
// colon of a drive-relative "C:name".
std::size_t NameStartOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string_view::npos) {
    return separator + 1;
  }
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

std::string JoinFolderAndName(std::string_view folder, std::string_view name) {
  if (folder.back() == '\\' || folder.back() == '/') {
    return std::string(folder) + std::string(name);
  }
  const bool posixStyle = folder.find('\\') == std::string_view::npos && folder.find('/') != std::string_view::npos;
  return std::string(folder) + (posixStyle ? "/" : "\\") + std::string(name);
}

// "<stem> (old)<extension>", then " (old 2)", ... A leading dot starts no extension.
std::string SecondNameCandidate(std::string_view path, std::uint32_t number) {
  const std::size_t nameStart = NameStartOf(path);
  const std::size_t dot = path.rfind('.');
  const std::size_t stemEnd = dot != std::string_view::npos && dot > nameStart ? dot : path.size();
  const std::string mark = number == 1 ? " (old)" : " (old " + std::to_string(number) + ")";
  return std::string(path.substr(0, stemEnd)) + mark + std::string(path.substr(stemEnd));
}

// A copy of `source` under the new name `name`, made through a safe save of its
// own, so that it is complete or absent. It keeps the source's date where it can.
bool CopyUnderNewName(const std::string& source, const std::string& name, SaveDurability durability,
                      std::string_view temporaryPrefix) {
  const FileHandle input = CreateFile(source, FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
  if (input == InvalidFileHandle) {
    return false;
  }
  std::optional<SafeSave> copy = SafeSave::Create(name, {durability, {}, temporaryPrefix});
  bool copied = copy && copy->AppendFrom(input, -1);
  std::uint32_t dosDateTime = 0;
  if (copied && GetFileDosDateTime(input, dosDateTime)) {
    copy->StampDate(dosDateTime, DateRequirement::BestEffort);
  }
  const Win32Error cause = GetLastError();
  // Only read from: its close cannot lose data.
  static_cast<void>(CloseHandle(input));
  SetLastError(cause);
  copied = copied && copy->Commit(CommitMode::CreateOnly);
  return copied;
}

}  // namespace

std::string DescribeFailedCommit(const SafeSave& save, std::string_view fileKind) {
  const std::string kind(fileKind);
  switch (save.State()) {
    case SaveState::PlacedNotDurable:
      return "the new " + kind + " is in place, but it may not survive a power failure";
    case SaveState::PlacedOldKept:
      return "the new " + kind + " is in place; the old one could not go to the recycle bin and is kept as " +
             save.OldFileName();
    case SaveState::Open:
    case SaveState::Committed:
    case SaveState::Abandoned:
    case SaveState::NotPlaced:
      break;
  }
  return "it is left as it was";
}

std::string CommitFailureText(const SafeSave& save, std::string_view fileKind) {
  return "Cannot write " + save.TargetPath() + " (error " + std::to_string(save.Error()) + "); " +
         DescribeFailedCommit(save, fileKind);
}

std::string NameBeside(std::string_view path, std::string_view name) {
  return std::string(path.substr(0, NameStartOf(path))) + std::string(name);
}

std::string FolderPartOf(std::string_view path) {
  const std::size_t nameStart = NameStartOf(path);
  if (nameStart == 0) {
    return ".";
  }
  const std::size_t separator = nameStart - 1;
  if (path[separator] == ':') {
    return std::string(path.substr(0, 2));
  }
  const bool isRoot = separator == 0 || (separator == 2 && path[1] == ':');
  return std::string(path.substr(0, isRoot ? separator + 1 : separator));
}

// ---------------------------------------------------------------------------
// Creating and writing

std::optional<SafeSave> SafeSave::Create(std::string_view targetPath, const SaveOptions& options) {
  const bool inWorkFolder = !options.workFolder.empty();
  for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
    const std::string name = TemporaryName(options.temporaryPrefix);
    std::string workPath =
        inWorkFolder ? JoinFolderAndName(options.workFolder, name) : NameBeside(targetPath, name);
    // Others may read the file while it is written, never write it.
    const FileHandle file = CreateFile(workPath, FileAccess::ReadWrite, FileShare::Read, FileCreation::CreateNew);
    if (file != InvalidFileHandle) {
      return SafeSave(std::string(targetPath), std::move(workPath), file,
                      Settings{options.durability, inWorkFolder, std::string(options.temporaryPrefix)});
    }
    if (!IsNameTakenError(GetLastError())) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

SafeSave::SafeSave(std::string targetPath, std::string workPath, FileHandle file, Settings settings)
    : targetPath_(std::move(targetPath)), workPath_(std::move(workPath)), file_(file), settings_(std::move(settings)) {}

SafeSave::SafeSave(SafeSave&& other) noexcept
    : targetPath_(std::move(other.targetPath_)),
      workPath_(std::move(other.workPath_)),
      file_(std::exchange(other.file_, InvalidFileHandle)),
      settings_(std::move(other.settings_)),
      stamp_(other.stamp_),
      end_(other.end_),
      failed_(other.failed_),
      error_(other.error_),
      state_(std::exchange(other.state_, SaveState::Abandoned)),
      dateStamped_(other.dateStamped_),
      oldFileName_(std::move(other.oldFileName_)) {}

SafeSave::~SafeSave() {
  Cancel();
}

void SafeSave::Fail() {
  if (failed_) {
    return;
  }
  failed_ = true;
  error_ = GetLastError();
  if (error_ == win32_error::Success) {
    error_ = win32_error::WriteFault;
  }
}

bool SafeSave::WriteWhole(std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const auto count = static_cast<std::uint32_t>(std::min(bytes.size(), LargestWrite));
    std::uint32_t written = 0;
    if (!WriteFile(file_, bytes.data(), count, written)) {
      return false;
    }
    if (written != count) {
      // A short write without an error: the device is full.
      SetLastError(win32_error::DiskFull);
      return false;
    }
    bytes = bytes.subspan(count);
  }
  return true;
}

bool SafeSave::Write(std::span<const std::byte> bytes) {
  if (state_ != SaveState::Open || failed_) {
    return false;
  }
  if (!WriteWhole(bytes)) {
    Fail();
    return false;
  }
  end_ += static_cast<std::int64_t>(bytes.size());
  return true;
}

bool SafeSave::WriteAt(std::int64_t offset, std::span<const std::byte> bytes) {
  if (state_ != SaveState::Open || failed_) {
    return false;
  }
  if (!SetFilePointer(file_, offset, SeekOrigin::Begin, nullptr) || !WriteWhole(bytes)) {
    Fail();
    return false;
  }
  end_ = std::max(end_, offset + static_cast<std::int64_t>(bytes.size()));
  // Appending goes on at the end.
  if (!SetFilePointer(file_, end_, SeekOrigin::Begin, nullptr)) {
    Fail();
    return false;
  }
  return true;
}

bool SafeSave::SetEnd(std::int64_t size) {
  if (state_ != SaveState::Open || failed_) {
    return false;
  }
  if (!SetFilePointer(file_, size, SeekOrigin::Begin, nullptr) || !SetEndOfFile(file_)) {
    Fail();
    return false;
  }
  end_ = size;
  return true;
}

bool SafeSave::AppendFrom(FileHandle source, std::int64_t count) {
  if (state_ != SaveState::Open || failed_) {
    return false;
  }
  std::vector<std::byte> buffer;
  try {
    buffer.resize(CopyChunkSize);
  } catch (const std::bad_alloc&) {
    SetLastError(win32_error::NotEnoughMemory);
    Fail();
    return false;
  }
  std::int64_t remaining = count;
  while (remaining != 0) {
    const std::size_t wanted =
        remaining < 0 ? CopyChunkSize : static_cast<std::size_t>(std::min<std::int64_t>(remaining, CopyChunkSize));
    std::uint32_t bytesRead = 0;
    if (!ReadFile(source, buffer.data(), static_cast<std::uint32_t>(wanted), bytesRead) ||
        !WriteWhole(std::span(buffer.data(), bytesRead))) {
      Fail();
      return false;
    }
    end_ += bytesRead;
    if (bytesRead == wanted) {
      remaining -= remaining > 0 ? static_cast<std::int64_t>(bytesRead) : 0;
      continue;
    }
    if (remaining > 0) {
      SetLastError(win32_error::HandleEof);
      Fail();
      return false;
    }
    break;
  }
  return true;
}

bool SafeSave::AppendRange(FileHandle source, std::int64_t offset, std::int64_t count) {
  if (state_ != SaveState::Open || failed_) {
    return false;
  }
  // One call copies at most what a 32-bit count holds.
  constexpr std::int64_t LargestPiece = std::int64_t{1} << 30;
  for (std::int64_t done = 0; done < count;) {
    const auto piece = static_cast<std::uint32_t>(std::min(count - done, LargestPiece));
    std::uint32_t copied = 0;
    const bool succeeded = CopyFileRange(source, offset + done, file_, piece, copied);
    end_ += copied;
    done += copied;
    if (!succeeded) {
      Fail();
      return false;
    }
    if (copied < piece) {
      SetLastError(win32_error::HandleEof);
      Fail();
      return false;
    }
  }
  return true;
}

void SafeSave::StampDate(std::uint32_t dosDateTime, DateRequirement requirement) {
  stamp_ = Stamp{dosDateTime, requirement};
}

// ---------------------------------------------------------------------------
// Committing

void SafeSave::Cancel() {
  if (state_ == SaveState::Open) {
    Settle(SaveState::Abandoned);
  }
}

void SafeSave::Settle(SaveState state) {
  const Win32Error cause = GetLastError();
  if (file_ != InvalidFileHandle) {
    // The file is deleted next: what its close says no longer matters.
    static_cast<void>(CloseHandle(std::exchange(file_, InvalidFileHandle)));
  }
  // A temporary file that cannot be deleted stays behind; the cause reported is
  // what made the save fail.
  static_cast<void>(DeleteFile(workPath_));
  SetLastError(cause);
  state_ = state;
}

bool SafeSave::Commit(CommitMode mode) {
  if (state_ != SaveState::Open) {
    return false;
  }
  if (failed_) {
    Settle(SaveState::Abandoned);
    return false;
  }
  return settings_.inWorkFolder ? PlaceThroughCopy(mode) : PlaceBeside(mode);
}

bool SafeSave::FinishWriting() {
  if (settings_.durability == SaveDurability::FlushToDevice && !FlushFileBuffers(file_)) {
    Fail();
    return false;
  }
  if (stamp_) {
    dateStamped_ = SetFileDosDateTime(file_, stamp_->dosDateTime);
    if (!dateStamped_ && stamp_->requirement == DateRequirement::Required) {
      Fail();
      return false;
    }
  }
  if (!CloseHandle(std::exchange(file_, InvalidFileHandle))) {
    Fail();
    return false;
  }
  return true;
}

// The work file is read back rather than flushed: the copy beside the target is
// the file that must last, and it is flushed by its own commit.
bool SafeSave::PlaceThroughCopy(CommitMode mode) {
  std::optional<SafeSave> beside =
      SafeSave::Create(targetPath_, {settings_.durability, {}, settings_.temporaryPrefix});
  const bool copied = beside && SetFilePointer(file_, 0, SeekOrigin::Begin, nullptr) && beside->AppendFrom(file_, end_);
  if (!copied || !CloseHandle(std::exchange(file_, InvalidFileHandle))) {
    Fail();
    Settle(SaveState::NotPlaced);
    return false;
  }
  if (stamp_) {
    beside->StampDate(stamp_->dosDateTime, stamp_->requirement);
  }
  const bool committed = beside->Commit(mode);
  if (!committed) {
    SetLastError(beside->Error());
    Fail();
  }
  dateStamped_ = beside->DateStamped();
  oldFileName_ = beside->OldFileName();
  // The new file is in place or not whatever becomes of its copy in the work
  // folder; one that cannot be deleted stays there.
  Settle(beside->State() == SaveState::Abandoned ? SaveState::NotPlaced : beside->State());
  return committed;
}

bool SafeSave::PlaceBeside(CommitMode mode) {
  if (!FinishWriting()) {
    Settle(SaveState::Abandoned);
    return false;
  }
  switch (mode) {
    case CommitMode::ReplaceTarget:
      return MoveIntoPlace(MoveMode::ReplaceExisting);
    case CommitMode::CreateOnly:
      return MoveIntoPlace(MoveMode::KeepExisting);
    case CommitMode::ReplaceAndRecycleOld:
      return ReplaceAndRecycle();
  }
  return false;
}

bool SafeSave::MoveIntoPlace(MoveMode moveMode) {
  if (!MoveFile(workPath_, targetPath_, moveMode)) {
    Fail();
    Settle(SaveState::NotPlaced);
    return false;
  }
  return Placed(FlushNames());
}

bool SafeSave::FlushNames() {
  if (settings_.durability != SaveDurability::FlushToDevice || FlushDirectory(FolderPartOf(targetPath_))) {
    return true;
  }
  Fail();
  return false;
}

bool SafeSave::Placed(bool namesFlushed) {
  state_ = namesFlushed ? SaveState::Committed : SaveState::PlacedNotDurable;
  return namesFlushed;
}

// ---------------------------------------------------------------------------
// The recycle order (see the header)

bool SafeSave::ReplaceAndRecycle() {
  if (GetFileAttributes(targetPath_) == InvalidFileAttributes) {
    return MoveIntoPlace(MoveMode::ReplaceExisting);
  }
  const std::optional<std::string> secondName = MakeSecondNameOfTarget();
  if (!secondName) {
    Fail();
    Settle(SaveState::NotPlaced);
    return false;
  }
  if (!MoveFile(workPath_, targetPath_, MoveMode::ReplaceExisting)) {
    Fail();
    // Only a second name of the old file: should it stay, nothing is lost.
    static_cast<void>(DeleteFile(*secondName));
    Settle(SaveState::NotPlaced);
    return false;
  }
  const bool namesFlushed = FlushNames();
  // The shell wants a full name; a relative one is taken from the current folder.
  const std::string fullSecondName = GetFullPathName(*secondName);
  const int recycled =
      ShellDeleteFile(fullSecondName.empty() ? *secondName : fullSecondName, DeleteMode::ToRecycleBin);
  if (recycled == 0) {
    return Placed(namesFlushed);
  }
  SetLastError(static_cast<Win32Error>(recycled));
  Fail();
  if (MoveFile(*secondName, targetPath_, MoveMode::ReplaceExisting)) {
    state_ = SaveState::NotPlaced;
    return false;
  }
  oldFileName_ = *secondName;
  state_ = SaveState::PlacedOldKept;
  return false;
}

std::optional<std::string> SafeSave::MakeSecondNameOfTarget() {
  std::uint32_t number = 1;
  for (; number <= SecondNameAttempts; ++number) {
    std::string name = SecondNameCandidate(targetPath_, number);
    if (CreateHardLink(targetPath_, name)) {
      return name;
    }
    if (!IsNameTakenError(GetLastError())) {
      break;
    }
  }
  // No hard link here (a file system without them, or a refusal): a copy takes
  // the second name, from the first number still free.
  for (; number <= SecondNameAttempts; ++number) {
    std::string name = SecondNameCandidate(targetPath_, number);
    if (GetFileAttributes(name) != InvalidFileAttributes) {
      continue;
    }
    if (CopyUnderNewName(targetPath_, name, settings_.durability, settings_.temporaryPrefix)) {
      return name;
    }
    if (!IsNameTakenError(GetLastError())) {
      return std::nullopt;
    }
  }
  SetLastError(win32_error::AlreadyExists);
  return std::nullopt;
}

}  // namespace platform
