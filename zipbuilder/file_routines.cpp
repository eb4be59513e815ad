// File routines shared by the operations that rewrite archives: temporary names,
// copying bytes between open files, deleting (to the recycle bin when undo is
// allowed) and copying a whole file.
#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "platform/safe_save.h"
#include "platform/shell.h"
#include "platform/temp_and_environment.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/scoped_file.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

constexpr std::size_t CopyChunkSize = 8192;

[[nodiscard]] bool HasFolderPart(std::string_view fileName) {
  return fileName.find_first_of("\\/:") != std::string_view::npos;
}

[[nodiscard]] std::string WithExtension(std::string_view fileName, std::string_view extension) {
  const std::size_t nameStart = fileName.find_last_of("\\/:") + 1;  // npos + 1 is 0
  const std::size_t dot = fileName.rfind('.');
  const std::size_t stemEnd = dot != std::string_view::npos && dot >= nameStart ? dot : fileName.size();
  return std::string(fileName.substr(0, stemEnd)) + std::string(extension);
}

// A copy is flushed to the device: the destination it replaces may hold the only
// copy of something.
constexpr platform::SaveOptions CopySaveOptions{platform::SaveDurability::FlushToDevice, {}, "~zb"};

// The result of a copy that was complete but failed at its commit.
[[nodiscard]] std::int32_t CopyCommitFailure(platform::SaveState state) {
  switch (state) {
    case platform::SaveState::NotPlaced:
      // The destination could not be replaced (or its old file not recycled): it is as it was.
      return copy_result::DestinationNotCreated;
    case platform::SaveState::Open:
    case platform::SaveState::Committed:
    case platform::SaveState::Abandoned:
    case platform::SaveState::PlacedNotDurable:
    case platform::SaveState::PlacedOldKept:
      break;
  }
  // Also a copy that is in place but whose name may not survive a power loss,
  // or whose old destination is kept under a second name: not a clean copy.
  return copy_result::WriteFailed;
}

// The size of an open file, by seeking to its end as the copy's check does; -1
// when it cannot be told.
[[nodiscard]] std::int64_t SizeBySeekingToEnd(platform::FileHandle file) {
  std::int64_t end = -1;
  if (!platform::SetFilePointer(file, 0, platform::SeekOrigin::End, &end)) {
    return -1;
  }
  return end;
}

}  // namespace

std::string TZipBuilder::NewTempFileName(std::string_view prefix, std::string_view extension) {
  std::string folder;
  if (!tempDir_.empty()) {
    tempDir_ = AppendBackslash(tempDir_);
    folder = tempDir_;
  } else {
    folder = platform::GetTempPath();
  }
  std::string uniqueName;
  if (platform::GetTempFileName(folder, prefix, 0, uniqueName) == 0) {
    return {};
  }
  // The system made the file to reserve the name; the caller creates its own.
  if (!platform::DeleteFile(uniqueName)) {
    return {};
  }
  return WithExtension(uniqueName, extension);
}

std::int32_t TZipBuilder::CopyFileBytes(platform::FileHandle source, platform::FileHandle destination,
                                        std::int64_t count) {
  return CopyFileChunks(source, count, [destination](std::span<const std::uint8_t> chunk) {
    std::uint32_t bytesWritten = 0;
    return platform::WriteFile(destination, chunk.data(), static_cast<std::uint32_t>(chunk.size()), bytesWritten) &&
           bytesWritten == chunk.size();
  });
}

std::int32_t TZipBuilder::CopyFileChunks(platform::FileHandle source, std::int64_t count,
                                         const std::function<bool(std::span<const std::uint8_t>)>& writeChunk) {
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(CopyChunkSize);
  } catch (const std::bad_alloc&) {
    return copy_result::WriteFailed;
  }
  std::int64_t remaining = count;
  try {
    while (remaining != 0) {
      const std::size_t wanted =
          remaining < 0 ? CopyChunkSize : static_cast<std::size_t>(std::min<std::int64_t>(remaining, CopyChunkSize));
      std::uint32_t bytesRead = 0;
      if (!platform::ReadFile(source, buffer.data(), static_cast<std::uint32_t>(wanted), bytesRead)) {
        // A read that fails leaves the copy short, as a write that fails does.
        return copy_result::WriteFailed;
      }
      if (!writeChunk(std::span(buffer.data(), bytesRead))) {
        return copy_result::WriteFailed;
      }
      if (rewrite_.ReportCopyProgress && OnProgress) {
        OnProgress(*this, ProgressType::pgBytesDone, "", static_cast<std::int32_t>(bytesRead));
      }
      if (remaining > 0) {
        remaining -= bytesRead;
      }
      toolkit_.ProcessPendingMessages();
      if (bytesRead < wanted) {
        break;
      }
    }
  } catch (...) {
    // An event handler that raises stops the copy; the copy is then short, and
    // saying so keeps the caller from taking it for complete.
    return copy_result::WriteFailed;
  }
  return copy_result::Success;
}

std::int32_t TZipBuilder::RemoveFileOrRecycle(std::string_view fileName, DeleteOpts howToDelete) {
  std::string path(fileName);
  if (!HasFolderPart(path)) {
    path = AppendBackslash(platform::GetCurrentDirectory()) + path;
  }
  if (!FileExists(path)) {
    return RemoveFileMissing;
  }
  const platform::DeleteMode mode =
      howToDelete == DeleteOpts::htdAllowUndo ? platform::DeleteMode::ToRecycleBin : platform::DeleteMode::Permanent;
  return platform::ShellDeleteFile(path, mode);
}

std::int32_t TZipBuilder::CopyWholeFile(std::string_view source, std::string_view destination) {
  rewrite_.ReportCopyProgress = false;
  if (!FileExists(source)) {
    return copy_result::SourceMissing;
  }
  PushBusyCursor();
  const std::int32_t result = CopyExistingFile(source, destination);
  PopBusyCursor();
  return result;
}

// CopyWholeFile once the source is known to exist. The copy goes into a new file
// beside the destination, which replaces the destination only once it is complete
// and checked; the old destination goes as HowToDelete says at that moment.
std::int32_t TZipBuilder::CopyExistingFile(std::string_view source, std::string_view destination) {
  ScopedFile input(platform::CreateFile(source, platform::FileAccess::Read, platform::FileShare::Read,
                                        platform::FileCreation::OpenExisting));
  if (!input.IsOpen()) {
    return copy_result::SourceMissing;
  }
  std::optional<platform::SafeSave> output = platform::SafeSave::Create(destination, CopySaveOptions);
  if (!output) {
    return copy_result::DestinationNotCreated;
  }
  std::int32_t result = CopyFileChunks(input.Get(), -1, [&output](std::span<const std::uint8_t> chunk) {
    return output->Write(std::as_bytes(chunk));
  });
  if (result == copy_result::Success) {
    std::uint32_t dosDateTime = 0;
    if (platform::GetFileDosDateTime(input.Get(), dosDateTime)) {
      output->StampDate(dosDateTime, platform::DateRequirement::BestEffort);
    } else {
      result = copy_result::DateNotSet;
    }
  }
  const std::int64_t sourceSize = SizeBySeekingToEnd(input.Get());
  if (result == copy_result::Success && (sourceSize == -1 || sourceSize != output->Size())) {
    result = copy_result::SizeMismatch;
  }
  if (result != copy_result::Success && result != copy_result::DateNotSet) {
    // Not committed: the temporary file goes, the destination stays as it was.
    return result;
  }
  const platform::CommitMode mode = howToDelete_ == DeleteOpts::htdAllowUndo
                                        ? platform::CommitMode::ReplaceAndRecycleOld
                                        : platform::CommitMode::ReplaceTarget;
  if (!output->Commit(mode)) {
    return CopyCommitFailure(output->State());
  }
  return output->DateStamped() ? result : copy_result::DateNotSet;
}

}  // namespace zipbuilder
