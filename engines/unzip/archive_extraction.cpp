#include "engines/unzip/archive_extraction.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engines/shared/path_sanitising.h"
#include "engines/shared/wildcard.h"
#include "engines/unzip/archive_reader.h"
#include "engines/unzip/destination_tree.h"
#include "engines/unzip/entry_decoder.h"
#include "engines/unzip/entry_names.h"
#include "engines/unzip/entry_selection.h"
#include "engines/unzip/file_output.h"
#include "engines/unzip/password_keeper.h"
#include "engines/unzip/replacement_policy.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "zipformat/records.h"

namespace engines::unzip {

namespace zf = zipformat;

namespace {

constexpr std::uint16_t UnsupportedFlags = zf::general_flag::StrongEncryption | zf::general_flag::PatchedData;
constexpr std::uint32_t KeptAttributes =
    platform::file_attribute::ReadOnly | platform::file_attribute::Hidden | platform::file_attribute::System;
constexpr std::uint32_t UnixOwnerWrite = 0200;

// PasswordSuspect: the data failed to decode with a password that may be wrong
// though it passed the check byte; nothing was reported or kept.
enum class EntryOutcome { Extracted, Skipped, Stop, PasswordSuspect };
enum class PasswordAttempt { First, Again };

// What a wrong password that passed the check byte turns into.
bool IsDamage(DecodeOutcome outcome) {
  return outcome == DecodeOutcome::CrcMismatch || outcome == DecodeOutcome::DataError ||
         outcome == DecodeOutcome::SizeMismatch;
}

struct SelectedEntry {
  const ArchiveEntry* entry = nullptr;
  std::string name;  // decoded, as the caller lists it
  shared::SanitisedEntryPath path;
};

std::string SystemErrorText(platform::Win32Error error) {
  return " (system error " + std::to_string(error) + ")";
}

bool IsFolderEntry(const std::string& name) {
  return !name.empty() && shared::IsFolderSeparator(name.back());
}

// The attributes worth carrying over: read-only, hidden and system from the DOS
// byte, and read-only from a Unix mode without the owner's write permission.
std::uint32_t AttributesOf(const zf::CentralHeader& header) {
  std::uint32_t attributes = header.externalAttributes & KeptAttributes;
  const std::uint32_t unixMode = header.externalAttributes >> 16;
  if (header.hostSystem == zf::host_system::Unix && unixMode != 0 && (unixMode & UnixOwnerWrite) == 0) {
    attributes |= platform::file_attribute::ReadOnly;
  }
  return attributes;
}

std::optional<UnzipSkipReason> UnsupportedReason(const zf::CentralHeader& header) {
  if (header.method != zf::compression_method::Stored && header.method != zf::compression_method::Deflated) {
    return UnzipSkipReason::UnsupportedMethod;
  }
  if ((header.flags & UnsupportedFlags) != 0 || header.diskStart != 0 || zf::UsesZip64Markers(header)) {
    return UnzipSkipReason::UnsupportedFeature;
  }
  return std::nullopt;
}

class ArchiveExtraction {
 public:
  ArchiveExtraction(const UnzipCommand& command, CallbackChannel& channel, const ArchiveFile& archive,
                    const CentralDirectory& directory)
      : command_(command),
        channel_(channel),
        archive_(archive),
        directory_(directory),
        passwords_(command.password, command.passwordRequests, channel) {}

  [[nodiscard]] Flow Run(std::int32_t& extracted);

 private:
  [[nodiscard]] bool WritesToDisk() const {
    return command_.mode == OperationMode::Extract && !command_.memoryOutput;
  }
  [[nodiscard]] std::vector<SelectedEntry> Select(Flow& flow);
  [[nodiscard]] Flow MakeFolder(const SelectedEntry& selected);
  [[nodiscard]] EntryOutcome ProcessFile(const SelectedEntry& selected);
  [[nodiscard]] EntryOutcome Skip(const SelectedEntry& selected, UnzipSkipReason reason, UnzipErrorValue error,
                                  const std::string& why);
  [[nodiscard]] EntryOutcome OpenAndDecode(const SelectedEntry& selected, const zf::LocalEntry& data,
                                           PasswordAttempt attempt);
  [[nodiscard]] EntryOutcome Decode(const SelectedEntry& selected, OutputSink& sink, StoredBytesSource& source,
                                    std::optional<shared::TraditionalCipher>& cipher, std::uint32_t storedSize);
  [[nodiscard]] EntryOutcome ToMemory(const SelectedEntry& selected, StoredBytesSource& source,
                                      std::optional<shared::TraditionalCipher>& cipher, std::uint32_t storedSize);
  [[nodiscard]] EntryOutcome ToDisk(const SelectedEntry& selected, StoredBytesSource& source,
                                    std::optional<shared::TraditionalCipher>& cipher, std::uint32_t storedSize);

  const UnzipCommand& command_;
  CallbackChannel& channel_;
  const ArchiveFile& archive_;
  const CentralDirectory& directory_;
  PasswordKeeper passwords_;
  DecodeWorkspace workspace_;
  std::optional<DestinationTree> tree_;
  // Where the current file goes, set by ProcessFile for ToDisk.
  std::string folder_;
  std::string destination_;
  ExistingFile existing_;
};

std::vector<SelectedEntry> ArchiveExtraction::Select(Flow& flow) {
  std::vector<std::string> names;
  names.reserve(directory_.entries.size());
  for (const ArchiveEntry& entry : directory_.entries) {
    names.push_back(DecodeEntryText(entry.name, entry.header, command_.codePage));
  }
  std::vector<std::string> unmatched;
  const std::vector<std::size_t> indices = SelectEntries(command_.specifications, names, unmatched);
  flow = Flow::Continue;
  for (const std::string& specification : unmatched) {
    if (channel_.Message(UnzipErrorValue::NothingMatched, "No entry matches \"" + specification + "\"") == Flow::Stop) {
      flow = Flow::Stop;
      return {};
    }
  }
  std::vector<SelectedEntry> selected;
  selected.reserve(indices.size());
  for (const std::size_t index : indices) {
    SelectedEntry chosen;
    chosen.entry = &directory_.entries[index];
    chosen.name = std::move(names[index]);
    if (IsFolderEntry(chosen.name) && !(WritesToDisk() && command_.folderNames == FolderNames::Recreate)) {
      continue;
    }
    selected.push_back(std::move(chosen));
  }
  return selected;
}

Flow ArchiveExtraction::Run(std::int32_t& extracted) {
  extracted = 0;
  Flow flow = Flow::Continue;
  std::vector<SelectedEntry> selected = Select(flow);
  if (flow == Flow::Stop) {
    return flow;
  }
  if (command_.memoryOutput) {
    std::erase_if(selected, [](const SelectedEntry& entry) { return IsFolderEntry(entry.name); });
    if (selected.size() > 1) {
      selected.resize(1);
    }
  }
  if (WritesToDisk()) {
    tree_.emplace(command_.baseFolder);
    if (!tree_->IsUsable()) {
      return channel_.Message(UnzipErrorValue::WriteError,
                              "The base folder \"" + tree_->Base() + "\" cannot be used" +
                                  SystemErrorText(platform::GetLastError()));
    }
  }
  std::uint32_t fileCount = 0;
  std::uint64_t totalSize = 0;
  for (const SelectedEntry& entry : selected) {
    if (!IsFolderEntry(entry.name)) {
      ++fileCount;
      totalSize += entry.entry->header.uncompressedSize;
    }
  }
  if (channel_.FileCount(fileCount) == Flow::Stop || channel_.TotalSize(totalSize) == Flow::Stop) {
    return Flow::Stop;
  }
  for (SelectedEntry& entry : selected) {
    entry.path = shared::SanitiseEntryPath(entry.name);
    if (IsFolderEntry(entry.name)) {
      if (MakeFolder(entry) == Flow::Stop) {
        return Flow::Stop;
      }
      continue;
    }
    const EntryOutcome outcome = ProcessFile(entry);
    if (outcome == EntryOutcome::Stop) {
      return Flow::Stop;
    }
    if (outcome == EntryOutcome::Extracted) {
      ++extracted;
    }
  }
  return Flow::Continue;
}

Flow ArchiveExtraction::MakeFolder(const SelectedEntry& selected) {
  // "./", as some zippers store the folder they started from, is the base itself.
  if (selected.path.verdict == shared::EntryPathVerdict::Empty) {
    return Flow::Continue;
  }
  if (selected.path.verdict != shared::EntryPathVerdict::Safe) {
    return channel_.Message(UnzipErrorValue::UnsafeName, "Folder \"" + selected.name + "\" not created: " +
                                                        std::string(shared::DescribeVerdict(selected.path.verdict)));
  }
  std::string path;
  const FolderOutcome outcome = tree_->PrepareFolder(selected.path.components, FolderCreation::CreateMissing, path);
  if (outcome == FolderOutcome::LinkOutsideBase) {
    return channel_.Message(UnzipErrorValue::UnsafeName,
                            "Folder \"" + selected.name + "\" not created: a link on its way leads out of the base folder");
  }
  if (outcome == FolderOutcome::Blocked) {
    return channel_.Message(UnzipErrorValue::WriteError, "Folder \"" + path + "\" cannot be created" +
                                                        SystemErrorText(platform::GetLastError()));
  }
  return Flow::Continue;
}

EntryOutcome ArchiveExtraction::Skip(const SelectedEntry& selected, UnzipSkipReason reason, UnzipErrorValue error,
                                     const std::string& why) {
  if (!why.empty() && channel_.Message(error, selected.name + ": " + why) == Flow::Stop) {
    return EntryOutcome::Stop;
  }
  return channel_.Skipped(selected.name, reason, error) == Flow::Stop ? EntryOutcome::Stop : EntryOutcome::Skipped;
}

EntryOutcome ArchiveExtraction::ProcessFile(const SelectedEntry& selected) {
  const ArchiveEntry& entry = *selected.entry;
  const zf::CentralHeader& header = entry.header;
  if (channel_.NewFile(selected.name, header.uncompressedSize) == Flow::Stop) {
    return EntryOutcome::Stop;
  }
  if (!entry.comment.empty() &&
      channel_.FileComment(selected.name, DecodeEntryText(entry.comment, header, command_.codePage)) ==
          Flow::Stop) {
    return EntryOutcome::Stop;
  }
  if (const std::optional<UnzipSkipReason> reason = UnsupportedReason(header)) {
    const std::string why = *reason == UnzipSkipReason::UnsupportedMethod
                                ? "compression method " + std::to_string(header.method) + " is not supported"
                                : std::string("the entry uses a zip feature this engine does not read");
    return Skip(selected, *reason, UnzipErrorValue::Unsupported, why);
  }
  if (WritesToDisk()) {
    if (selected.path.verdict != shared::EntryPathVerdict::Safe) {
      return Skip(selected, UnzipSkipReason::UnsafeName, UnzipErrorValue::UnsafeName,
                  "not extracted: " + std::string(shared::DescribeVerdict(selected.path.verdict)));
    }
    const std::vector<std::string>& components = selected.path.components;
    const std::span<const std::string> folders =
        command_.folderNames == FolderNames::Recreate ? std::span(components).first(components.size() - 1)
                                                      : std::span<const std::string>();
    const FolderOutcome outcome = tree_->PrepareFolder(folders, FolderCreation::CreateMissing, folder_);
    if (outcome == FolderOutcome::LinkOutsideBase) {
      return Skip(selected, UnzipSkipReason::LinkOutsideBase, UnzipErrorValue::UnsafeName,
                  "not extracted: a link on its way leads out of the base folder");
    }
    if (outcome == FolderOutcome::Blocked) {
      return Skip(selected, UnzipSkipReason::WriteFailed, UnzipErrorValue::WriteError,
                  "folder \"" + folder_ + "\" cannot be created" + SystemErrorText(platform::GetLastError()));
    }
    destination_ = JoinFolderAndName(folder_, components.back());
    existing_ = InspectExistingFile(destination_);
    const ReplacementPlan plan =
        PlanReplacement(existing_, header.dosDateTime, command_.replacement, command_.existingFiles);
    if (plan.verdict == ReplacementVerdict::Skip) {
      const std::string why = existing_.isFolder ? "a folder of that name is in the way" : std::string();
      return Skip(selected, plan.reason, existing_.isFolder ? UnzipErrorValue::WriteError : UnzipErrorValue::None, why);
    }
    if (plan.verdict == ReplacementVerdict::AskCaller) {
      bool replace = plan.defaultAnswer;
      if (channel_.AskOverwrite(selected.name, plan.existingIsOlder, entry.index, replace) == Flow::Stop) {
        return EntryOutcome::Stop;
      }
      if (!replace) {
        return Skip(selected, UnzipSkipReason::NotOverwritten, UnzipErrorValue::None, {});
      }
    }
  }
  const std::optional<zf::LocalEntry> data = LocateEntryData(archive_, directory_, entry);
  if (!data) {
    return Skip(selected, UnzipSkipReason::DataError, UnzipErrorValue::FormatError, "its local header is damaged");
  }
  EntryOutcome outcome = OpenAndDecode(selected, *data, PasswordAttempt::First);
  while (outcome == EntryOutcome::PasswordSuspect) {
    outcome = OpenAndDecode(selected, *data, PasswordAttempt::Again);
  }
  return outcome;
}

EntryOutcome ArchiveExtraction::OpenAndDecode(const SelectedEntry& selected, const zf::LocalEntry& data,
                                              PasswordAttempt attempt) {
  const zf::CentralHeader& header = selected.entry->header;
  ArchiveBytesSource source(archive_, data.dataOffset, header.compressedSize);
  std::optional<shared::TraditionalCipher> cipher;
  std::uint32_t storedSize = header.compressedSize;
  if ((header.flags & zf::general_flag::Encrypted) != 0) {
    std::array<std::byte, shared::EncryptionHeaderSize> encryptionHeader{};
    if (storedSize < encryptionHeader.size() || !source.Read(encryptionHeader)) {
      return Skip(selected, UnzipSkipReason::DataError, UnzipErrorValue::FormatError, "its encryption header is missing");
    }
    storedSize -= static_cast<std::uint32_t>(encryptionHeader.size());
    const std::uint8_t checkByte =
        shared::EncryptionCheckByte(data.header.flags, header.crc32, data.header.dosDateTime);
    const PasswordResult result = attempt == PasswordAttempt::First
                                      ? passwords_.Open(selected.name, encryptionHeader, checkByte, cipher)
                                      : passwords_.OpenAgain(selected.name, encryptionHeader, checkByte, cipher);
    switch (result) {
      case PasswordResult::Opened:
        break;
      case PasswordResult::Stopped:
        return EntryOutcome::Stop;
      case PasswordResult::Missing:
        return Skip(selected, UnzipSkipReason::PasswordMissing, UnzipErrorValue::PasswordError, "encrypted, and no password given");
      case PasswordResult::Wrong:
        return Skip(selected, UnzipSkipReason::PasswordWrong, UnzipErrorValue::PasswordError, "wrong password");
    }
  }
  if (command_.mode == OperationMode::TestOnly) {
    DiscardingSink sink;
    return Decode(selected, sink, source, cipher, storedSize);
  }
  if (command_.memoryOutput) {
    return ToMemory(selected, source, cipher, storedSize);
  }
  return ToDisk(selected, source, cipher, storedSize);
}

EntryOutcome ArchiveExtraction::Decode(const SelectedEntry& selected, OutputSink& sink, StoredBytesSource& source,
                                       std::optional<shared::TraditionalCipher>& cipher, std::uint32_t storedSize) {
  const zf::CentralHeader& header = selected.entry->header;
  const EntryShape shape{header.method, storedSize, header.uncompressedSize, header.crc32};
  const ProgressReport progress = [this](std::uint32_t bytes) { return channel_.BytesDone(bytes); };
  const DecodeResult result = DecodeEntry(shape, source, cipher, sink, progress, workspace_);
  if (cipher && IsDamage(result.outcome) && passwords_.MayBeWrongPassword()) {
    return EntryOutcome::PasswordSuspect;
  }
  switch (result.outcome) {
    case DecodeOutcome::Complete:
      return EntryOutcome::Extracted;
    case DecodeOutcome::Stopped:
      return EntryOutcome::Stop;
    case DecodeOutcome::CrcMismatch: {
      CrcDecision decision = CrcDecision::Drop;
      if (channel_.ReportCrcError(selected.name, result.foundCrc, header.crc32, decision) == Flow::Stop) {
        return EntryOutcome::Stop;
      }
      if (decision == CrcDecision::Keep && command_.mode == OperationMode::Extract) {
        return EntryOutcome::Extracted;
      }
      return Skip(selected, UnzipSkipReason::CrcError, UnzipErrorValue::CrcError, "CRC error");
    }
    case DecodeOutcome::DataError:
      return Skip(selected, UnzipSkipReason::DataError, UnzipErrorValue::FormatError, "the compressed data is damaged");
    case DecodeOutcome::SizeMismatch:
      return Skip(selected, UnzipSkipReason::DataError, UnzipErrorValue::FormatError,
                  "the data does not decode to the size the archive gives");
    case DecodeOutcome::ReadError:
      return Skip(selected, UnzipSkipReason::DataError, UnzipErrorValue::ArchiveUnreadable,
                  "the archive cannot be read" + SystemErrorText(platform::GetLastError()));
    case DecodeOutcome::WriteError:
      return Skip(selected, UnzipSkipReason::WriteFailed, UnzipErrorValue::WriteError,
                  "writing failed" + SystemErrorText(platform::GetLastError()));
    case DecodeOutcome::OutOfMemory:
      return Skip(selected, UnzipSkipReason::DataError, UnzipErrorValue::OutOfMemory, "not enough memory to decode it");
  }
  return EntryOutcome::Skipped;
}

EntryOutcome ArchiveExtraction::ToMemory(const SelectedEntry& selected, StoredBytesSource& source,
                                         std::optional<shared::TraditionalCipher>& cipher, std::uint32_t storedSize) {
  const std::uint32_t size = selected.entry->header.uncompressedSize;
  void* address = nullptr;
  if (channel_.RequestOutputMemory(size, command_.memoryOutput->buffer, command_.memoryOutput->size, address) ==
      Flow::Stop) {
    return EntryOutcome::Stop;
  }
  if (address == nullptr && size > 0) {
    return Skip(selected, UnzipSkipReason::NoOutputMemory, UnzipErrorValue::OutOfMemory, "no memory was given for it");
  }
  MemorySink sink(std::span(static_cast<std::byte*>(address), address == nullptr ? 0 : size));
  return Decode(selected, sink, source, cipher, storedSize);
}

EntryOutcome ArchiveExtraction::ToDisk(const SelectedEntry& selected, StoredBytesSource& source,
                                       std::optional<shared::TraditionalCipher>& cipher, std::uint32_t storedSize) {
  const ArchiveEntry& entry = *selected.entry;
  const std::unique_ptr<SafeFileOutput> output = SafeFileOutput::Create(destination_);
  if (!output) {
    return Skip(selected, UnzipSkipReason::WriteFailed, UnzipErrorValue::WriteError,
                "no file can be created in \"" + folder_ + "\"" + SystemErrorText(platform::GetLastError()));
  }
  const EntryOutcome outcome = Decode(selected, *output, source, cipher, storedSize);
  if (outcome != EntryOutcome::Extracted) {
    return outcome;
  }
  // The caller agreed to replace the file, read-only or not; should the move fail,
  // the file gets its attribute back.
  const bool clearedReadOnly =
      existing_.readOnly &&
      platform::SetFileAttributes(destination_, existing_.attributes & ~platform::file_attribute::ReadOnly);
  if (!output->Commit(entry.header.dosDateTime)) {
    const platform::Win32Error cause = platform::GetLastError();
    if (clearedReadOnly) {
      static_cast<void>(platform::SetFileAttributes(destination_, existing_.attributes));
    }
    return Skip(selected, UnzipSkipReason::WriteFailed, UnzipErrorValue::WriteError,
                "the file cannot be moved into place" + SystemErrorText(cause));
  }
  if (const std::uint32_t attributes = AttributesOf(entry.header); attributes != 0) {
    // Attributes are a courtesy: the file itself is in place and correct.
    static_cast<void>(platform::SetFileAttributes(destination_, attributes | platform::file_attribute::Archive));
  }
  if (command_.verbosity == Verbosity::Verbose &&
      channel_.Message(UnzipErrorValue::None, "Extracted " + selected.name + " to " + destination_) == Flow::Stop) {
    return EntryOutcome::Stop;
  }
  return EntryOutcome::Extracted;
}

}  // namespace

std::int32_t ExtractFromArchive(const UnzipCommand& command, CallbackChannel& channel) {
  const std::optional<ArchiveFile> archive = ArchiveFile::Open(command.archivePath);
  if (!archive) {
    const platform::Win32Error cause = platform::GetLastError();
    if (channel.Message(UnzipErrorValue::ArchiveUnreadable,
                        "The archive \"" + command.archivePath + "\" cannot be opened" + SystemErrorText(cause)) ==
        Flow::Continue) {
      static_cast<void>(channel.BatchEnd());
    }
    return 0;
  }
  zf::DirectoryProblem problem = zf::DirectoryProblem::None;
  const std::optional<CentralDirectory> directory = ReadCentralDirectory(*archive, problem);
  if (!directory) {
    if (channel.Message(zf::IsUnsupportedLayout(problem) ? UnzipErrorValue::Unsupported : UnzipErrorValue::FormatError,
                        "The archive \"" + command.archivePath + "\" cannot be read: " +
                            std::string(zf::DescribeDirectoryProblem(problem))) == Flow::Continue) {
      static_cast<void>(channel.BatchEnd());
    }
    return 0;
  }
  ArchiveExtraction extraction(command, channel, *archive, *directory);
  std::int32_t extracted = 0;
  if (extraction.Run(extracted) == Flow::Continue) {
    static_cast<void>(channel.BatchEnd());
  }
  return extracted;
}

}  // namespace engines::unzip
