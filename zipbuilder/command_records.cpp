// Building the engine command records. Layouts and field meanings are those of
// engines/engine_records.h; this file decides what goes into them.
#include "zipbuilder/command_records.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace zipbuilder {

namespace {

constexpr std::array<std::string_view, AddStoreSuffixCount> StoreSuffixNames{
    "gif", "png", "z",   "zip", "zoo", "arc", "lzh", "arj",  "taz",
    "tgz", "lha", "rar", "ace", "cab", "gz",  "gzip", "jar", "exe",
};

constexpr char RecurseMark = '>';
constexpr char NoRecurseMark = '|';
constexpr char PasswordMark = '<';

[[nodiscard]] std::int32_t Flag(bool value) { return value ? 1 : 0; }

// The old layouts have a fixed number of slots; more specifications than that
// cannot be handed over, and a count above it would send the engine past the record.
[[nodiscard]] std::size_t LegacySpecificationCount(const StringList& specifications) {
  return std::min(specifications.size(), engines::LegacySpecificationSlots);
}

// A record is allocated value-initialised, which zero-fills it, padding included.
template <typename Record>
[[nodiscard]] std::unique_ptr<Record> ZeroFilledRecord() {
  return std::make_unique<Record>();
}

template <typename Record>
[[nodiscard]] std::span<const std::byte> BytesOf(const Record& record) {
  return std::as_bytes(std::span<const Record, 1>(&record, 1));
}

// Engines below 1.60 have no PasswordReqCount to stop their password requests, so
// an unattended component that cannot answer them hands over a password instead:
// eighty identical characters, which no real password is.
[[nodiscard]] bool WantsDummyPassword(const UnzipCommandSettings& settings, std::int32_t engineVersion) {
  return engineVersion < engines::StreamCapableVersion && settings.Unattended &&
         settings.AddOptions.Contains(AddOptsEnum::AddEncrypt) && settings.Password.empty();
}

}  // namespace

// ---------------------------------------------------------------------------
// EngineTextStore
// ---------------------------------------------------------------------------

const char* EngineTextStore::Keep(std::string_view text, std::size_t maximumCharacters, std::size_t bufferSize) {
  const std::size_t kept = std::min({text.size(), maximumCharacters, bufferSize - 1});
  auto buffer = std::make_unique<char[]>(bufferSize);  // zero-filled
  std::memcpy(buffer.get(), text.data(), kept);
  buffers_.push_back(std::move(buffer));
  return buffers_.back().get();
}

const char* EngineTextStore::Keep(std::string_view text) { return Keep(text, text.size(), text.size() + 1); }

const char* EngineTextStore::KeepFilled(char character, std::size_t bufferSize) {
  auto buffer = std::make_unique<char[]>(bufferSize);
  std::fill_n(buffer.get(), bufferSize - 1, character);
  buffers_.push_back(std::move(buffer));
  return buffers_.back().get();
}

// ---------------------------------------------------------------------------
// UnzipCommand
// ---------------------------------------------------------------------------

namespace {

void FillUnzipHeader(engines::UnzipCommandHeader& header, const UnzipCommandSettings& settings,
                     const char* password) {
  const ExtrOptsSet options = settings.ExtrOptions;
  header.OwnerWindow = settings.OwnerWindow;
  header.Caller = settings.Caller;
  header.RecordVersion = engines::CommandRecordVersion;
  header.Callback = settings.Callback;
  header.Trace = Flag(settings.Trace);
  header.CodePage = static_cast<std::uint16_t>(settings.CodePage);
  header.Password = password;
  header.Test = Flag(options.Contains(ExtrOptsEnum::ExtrTest));
  header.AlwaysOne = 1;
  header.Verbose = Flag(settings.Verbose || settings.Trace);
  header.Update = Flag(options.Contains(ExtrOptsEnum::ExtrUpdate));
  header.Freshen = Flag(options.Contains(ExtrOptsEnum::ExtrFreshen) && !options.Contains(ExtrOptsEnum::ExtrUpdate));
  header.DirectoryNames = Flag(options.Contains(ExtrOptsEnum::ExtrDirNames));
  header.Overwrite = Flag(options.Contains(ExtrOptsEnum::ExtrOverWrite));
}

}  // namespace

UnzipCommand::UnzipCommand(const UnzipCommandSettings& settings, std::int32_t engineVersion)
    : layout_(engineVersion >= engines::UnzipCompactRecordVersion ? UnzipRecordLayout::From152
                                                                   : UnzipRecordLayout::Below152) {
  if (layout_ == UnzipRecordLayout::From152) {
    FillCompactRecord(settings, engineVersion);
  } else {
    FillLegacyRecord(settings);
  }
  const char* password = WantsDummyPassword(settings, engineVersion)
                             ? texts_.KeepFilled(DummyPasswordCharacter, DummyPasswordBufferSize)
                             : texts_.Keep(settings.Password, engines::MaximumPasswordLength,
                                           settings.Password.size() + 1);
  engines::UnzipCommandHeader& header = compactRecord_ ? compactRecord_->Header : legacyRecord_->Header;
  FillUnzipHeader(header, settings, password);
}

void UnzipCommand::FillCompactRecord(const UnzipCommandSettings& settings, std::int32_t engineVersion) {
  compactRecord_ = ZeroFilledRecord<engines::UnzipCommandRecord>();
  engines::UnzipCommandRecord& record = *compactRecord_;
  specifications_.resize(settings.Specifications.size());
  for (std::size_t index = 0; index < specifications_.size(); ++index) {
    specifications_[index].Specification = texts_.Keep(settings.Specifications[index]);
  }
  record.SpecificationCount = static_cast<std::int32_t>(specifications_.size());
  record.ArchivePath = texts_.Keep(settings.ArchivePath);
  record.Specifications = specifications_.empty() ? nullptr : specifications_.data();
  if (engineVersion >= engines::StreamCapableVersion) {
    record.PasswordReqCount = settings.PasswordReqCount;
  }
  record.BaseFolder = texts_.Keep(settings.BaseFolder, BaseFolderBufferSize - 1, BaseFolderBufferSize);
  record.EndMarker = engines::CommandRecordEndMarker;
}

void UnzipCommand::FillLegacyRecord(const UnzipCommandSettings& settings) {
  legacyRecord_ = ZeroFilledRecord<engines::UnzipCommandRecordBelow152>();
  engines::UnzipCommandRecordBelow152& record = *legacyRecord_;
  const std::size_t count = LegacySpecificationCount(settings.Specifications);
  for (std::size_t index = 0; index < count; ++index) {
    record.SpecificationTexts[index] = texts_.Keep(settings.Specifications[index]);
  }
  record.SpecificationCount = static_cast<std::int32_t>(count);
  record.ArchivePath = texts_.Keep(settings.ArchivePath);
  record.EndMarker = engines::CommandRecordEndMarker;
}

void* UnzipCommand::Record() {
  return compactRecord_ ? static_cast<void*>(compactRecord_.get()) : static_cast<void*>(legacyRecord_.get());
}

std::span<const std::byte> UnzipCommand::RecordBytes() const {
  return compactRecord_ ? BytesOf(*compactRecord_) : BytesOf(*legacyRecord_);
}

engines::UnzipCommandRecord& UnzipCommand::CompactRecord() {
  if (!compactRecord_) {
    throw std::logic_error("an unzip engine below 1.52 has no memory fields");
  }
  return *compactRecord_;
}

void UnzipCommand::SetOutputMemory(void* buffer, std::uint32_t size) {
  engines::UnzipCommandRecord& record = CompactRecord();
  record.OutputToMemory = 1;
  record.OutputBuffer = buffer;
  record.OutputSize = size;
}

void UnzipCommand::SetInputMemory(const void* buffer, std::uint32_t size) {
  engines::UnzipCommandRecord& record = CompactRecord();
  record.InputFromMemory = 1;
  record.InputBuffer = buffer;
  record.InputSize = size;
}

void UnzipCommand::SetSpecificationCount(std::int32_t count) { CompactRecord().SpecificationCount = count; }

bool UnzipCommand::OutputToMemory() const { return compactRecord_ && compactRecord_->OutputToMemory != 0; }

// ---------------------------------------------------------------------------
// ZipCommand
// ---------------------------------------------------------------------------

std::string StoredSuffixList(AddStoreSuffixSet suffixes) {
  std::string list;
  for (unsigned ordinal = 0; ordinal < AddStoreSuffixCount; ++ordinal) {
    if (!suffixes.Contains(static_cast<AddStoreSuffix>(ordinal))) {
      continue;
    }
    if (!list.empty()) {
      list += ':';
    }
    list += '.';
    list += StoreSuffixNames[ordinal];
  }
  return list;
}

ZipCommand::ZipCommand(const ZipCommandSettings& settings, std::int32_t engineVersion)
    : layout_(engineVersion >= engines::ZipCompactRecordVersion ? ZipRecordLayout::From151
                                                                 : ZipRecordLayout::Below151) {
  if (layout_ == ZipRecordLayout::From151) {
    FillCompactRecord(settings, engineVersion);
  } else {
    FillLegacyRecord(settings);
  }
}

void ZipCommand::FillHeader(engines::ZipCommandHeader& header, const ZipCommandSettings& settings) {
  const AddOptsSet options = settings.AddOptions;
  const std::string suffixes = StoredSuffixList(settings.StoreSuffixes);
  header.OwnerWindow = settings.OwnerWindow;
  header.Caller = settings.Caller;
  header.RecordVersion = engines::CommandRecordVersion;
  header.Callback = settings.Callback;
  header.Trace = Flag(settings.Trace);
  header.Password = settings.Password.empty()
                        ? nullptr
                        : texts_.Keep(settings.Password, engines::MaximumPasswordLength, settings.Password.size() + 1);
  header.StoredSuffixes = suffixes.empty() ? nullptr : texts_.Keep(suffixes);
  header.Encrypt = Flag(options.Contains(AddOptsEnum::AddEncrypt));
  header.HiddenFiles = Flag(options.Contains(AddOptsEnum::AddHiddenFiles));
  header.Volume = Flag(options.Contains(AddOptsEnum::AddVolume));
  header.DirectoryEntries = Flag(!options.Contains(AddOptsEnum::AddSeparateDirs));
  header.Verbose = Flag(settings.Verbose || settings.Trace);
  header.AlwaysOne = 1;
  header.CompressionLevel = settings.CompressionLevel;
  header.DropFolderNames = Flag(!options.Contains(AddOptsEnum::AddDirNames));
  header.Recurse = static_cast<std::uint16_t>(Flag(options.Contains(AddOptsEnum::AddRecurseDirs)));
  header.AddCommand = Flag(settings.Kind == ZipCommandKind::Add);
  header.ForceDosNames = Flag(options.Contains(AddOptsEnum::AddForceDOS));
  header.Move = Flag(options.Contains(AddOptsEnum::AddMove));
  header.DeleteCommand = Flag(settings.Kind == ZipCommandKind::Delete);
  header.Update = Flag(options.Contains(AddOptsEnum::AddUpdate));
  header.Freshen = Flag(options.Contains(AddOptsEnum::AddFreshen) && !options.Contains(AddOptsEnum::AddUpdate));
  header.ZipTime = Flag(options.Contains(AddOptsEnum::AddZipTime));
  header.ArchivePath = texts_.Keep(settings.ArchivePath);
  if (settings.Kind == ZipCommandKind::Delete) {
    ClearAddOnlyFields(header);
  }
}

// A delete neither encrypts, recurses, moves, freshens nor updates, and does not
// touch stored folder names, whatever AddOptions holds.
void ZipCommand::ClearAddOnlyFields(engines::ZipCommandHeader& header) {
  header.Encrypt = 0;
  header.DropFolderNames = 0;
  header.Recurse = 0;
  header.Move = 0;
  header.Update = 0;
  header.Freshen = 0;
}

// A line may start with ">" (recurse) or "|" (do not recurse), and may carry its
// own password after "<"; "<" with nothing after it means "no encryption". A
// delete hands its lines over as they stand, without a root folder.
engines::ZipSpecificationEntry ZipCommand::MakeSpecificationEntry(std::string_view line,
                                                                  const engines::ZipCommandHeader& header,
                                                                  const char* rootDir) {
  engines::ZipSpecificationEntry entry{};
  if (header.DeleteCommand != 0) {
    entry.Specification = texts_.Keep(line);
    return entry;
  }
  entry.Recurse = header.Recurse;
  entry.Encrypt = header.Encrypt;
  entry.Password = header.Password;
  entry.RootDir = rootDir;
  if (line.starts_with(RecurseMark) || line.starts_with(NoRecurseMark)) {
    entry.Recurse = line.front() == RecurseMark ? 1 : 0;
    line.remove_prefix(1);
  }
  const std::size_t passwordMark = line.find(PasswordMark);
  if (passwordMark != std::string_view::npos) {
    const std::string_view password = line.substr(passwordMark + 1);
    line = line.substr(0, passwordMark);
    entry.Encrypt = Flag(!password.empty());
    entry.Password =
        password.empty() ? nullptr : texts_.Keep(password, engines::MaximumPasswordLength, password.size() + 1);
  }
  entry.Specification = texts_.Keep(line);
  return entry;
}

void ZipCommand::FillCompactRecord(const ZipCommandSettings& settings, std::int32_t engineVersion) {
  compactRecord_ = ZeroFilledRecord<engines::ZipCommandRecord>();
  engines::ZipCommandRecord& record = *compactRecord_;
  FillHeader(record.Header, settings);
  const char* rootDir = settings.RootDir.empty() ? nullptr : texts_.Keep(settings.RootDir);
  specifications_.reserve(settings.Specifications.size());
  for (const std::string& line : settings.Specifications) {
    specifications_.push_back(MakeSpecificationEntry(line, record.Header, rootDir));
  }
  record.Header.SpecificationCount = static_cast<std::int32_t>(specifications_.size());
  record.Specifications = specifications_.empty() ? nullptr : specifications_.data();

  const bool takesTempDir =
      engineVersion == engines::ZipCompactRecordVersion || engineVersion == engines::StreamCapableVersion;
  if (takesTempDir && !settings.TempDir.empty()) {
    record.TempDir = texts_.Keep(settings.TempDir);
  }
  if (engineVersion == engines::StreamCapableVersion) {
    const AddOptsSet options = settings.AddOptions;
    if (!settings.RawArchiveComment.empty()) {
      record.ArchiveComment = texts_.Keep(settings.RawArchiveComment);
    }
    record.ArchiveOnly = static_cast<std::uint16_t>(Flag(options.Contains(AddOptsEnum::AddArchiveOnly)));
    record.ResetArchive = static_cast<std::uint16_t>(Flag(options.Contains(AddOptsEnum::AddResetArchive)));
    for (const std::string& exclusion : settings.Exclusions) {
      exclusions_.push_back(texts_.Keep(exclusion));
    }
    record.ExclusionCount = static_cast<std::int32_t>(exclusions_.size());
    record.ExclusionTexts = exclusions_.empty() ? nullptr : exclusions_.data();
    record.RecycleBin = Flag(settings.HowToDelete == DeleteOpts::htdAllowUndo);
    record.CodePage = static_cast<std::uint16_t>(settings.CodePage == CPOpts::cpOEM ? 2 : 0);
  }
  record.EndMarker = engines::CommandRecordEndMarker;
}

void ZipCommand::FillLegacyRecord(const ZipCommandSettings& settings) {
  legacyRecord_ = ZeroFilledRecord<engines::ZipCommandRecordBelow151>();
  engines::ZipCommandRecordBelow151& record = *legacyRecord_;
  FillHeader(record.Header, settings);
  const std::size_t count = LegacySpecificationCount(settings.Specifications);
  for (std::size_t index = 0; index < count; ++index) {
    record.SpecificationTexts[index] = texts_.Keep(settings.Specifications[index]);
  }
  record.Header.SpecificationCount = static_cast<std::int32_t>(count);
  record.EndMarker = engines::CommandRecordEndMarker;
}

void* ZipCommand::Record() {
  return compactRecord_ ? static_cast<void*>(compactRecord_.get()) : static_cast<void*>(legacyRecord_.get());
}

std::span<const std::byte> ZipCommand::RecordBytes() const {
  return compactRecord_ ? BytesOf(*compactRecord_) : BytesOf(*legacyRecord_);
}

engines::ZipCommandRecord& ZipCommand::CompactRecord() {
  if (!compactRecord_) {
    throw std::logic_error("a zip engine below 1.51 has no memory fields");
  }
  return *compactRecord_;
}

const engines::ZipCommandRecord& ZipCommand::CompactRecord() const {
  if (!compactRecord_) {
    throw std::logic_error("a zip engine below 1.51 has no memory fields");
  }
  return *compactRecord_;
}

void ZipCommand::SetInputMemory(const void* buffer, std::uint32_t size) {
  engines::ZipCommandRecord& record = CompactRecord();
  record.InputFromMemory = 1;
  record.InputBuffer = buffer;
  record.InputSize = size;
}

void ZipCommand::SetOutputMemory(void* buffer, std::uint32_t size) {
  engines::ZipCommandRecord& record = CompactRecord();
  record.OutputToMemory = 1;
  record.OutputBuffer = buffer;
  record.OutputSize = size;
}

void ZipCommand::SetMemoryEntry(std::uint32_t attributes, std::uint32_t dosDateTime) {
  engines::ZipCommandRecord& record = CompactRecord();
  record.MemoryEntryAttributes = attributes;
  record.MemoryEntryDosDateTime = dosDateTime;
}

std::uint32_t ZipCommand::OutputSize() const { return CompactRecord().OutputSize; }

}  // namespace zipbuilder
