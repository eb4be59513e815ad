// The command records handed to UnzDllExec and ZipDllExec, built from a plain
// description of the command so that every byte can be checked without an engine.
//
// Divisions:
//   EngineTextStore ......... zero-terminated copies the records point to
//   UnzipCommand ............ the unzip record (148-byte or 16464-byte layout)
//   ZipCommand .............. the zip record (216-byte or 16520-byte layout),
//                             its 104-byte specification entries and the
//                             stored-suffix list
//
// A command object owns its record and every text, array and entry the record
// points to, zero-filled at construction; all of it lives exactly as long as the
// object, so an operation keeps the object for the engine call and everything is
// freed when it goes, on every path. The records never point at the component's
// own strings: an engine may not keep them, and the component may change them
// from an event handler while the engine works.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engines/engine_records.h"
#include "zipbuilder/component_types.h"

namespace zipbuilder {

// Owned zero-terminated text buffers. Addresses stay valid until the store goes.
class EngineTextStore {
 public:
  // A buffer of exactly `bufferSize` bytes (at least the kept characters and the
  // zero) holding at most the first `maximumCharacters` characters of `text`.
  [[nodiscard]] const char* Keep(std::string_view text, std::size_t maximumCharacters, std::size_t bufferSize);
  // An exact copy of `text` with a terminating zero.
  [[nodiscard]] const char* Keep(std::string_view text);
  // A buffer of `bufferSize` bytes filled with `character` but for the last, which is zero.
  [[nodiscard]] const char* KeepFilled(char character, std::size_t bufferSize);

 private:
  std::vector<std::unique_ptr<char[]>> buffers_;
};

// Base folders are handed over in a buffer of this size, at most one less characters.
inline constexpr std::size_t BaseFolderBufferSize = 261;
// The dummy password buffer: 80 characters and a zero.
inline constexpr std::size_t DummyPasswordBufferSize = 81;
// What fills the dummy password: printable, and the same every time.
inline constexpr char DummyPasswordCharacter = 'x';

// What every engine command takes from the component; copied into the record's texts.
struct EngineCommandSettings {
  void* OwnerWindow = nullptr;
  void* Caller = nullptr;
  engines::EngineCallbackFunction Callback = nullptr;
  bool Trace = false;
  bool Verbose = false;
  CPOpts CodePage = CPOpts::cpAUTO;
  std::string Password;
  // The zip engine's flags; for the unzip engine one part of the dummy password rule.
  AddOptsSet AddOptions;
  std::string ArchivePath;
  StringList Specifications;
};

// What an unzip command needs from the component besides.
struct UnzipCommandSettings : EngineCommandSettings {
  // With AddOptions, only decides whether an old engine gets the dummy password.
  bool Unattended = false;
  ExtrOptsSet ExtrOptions;
  // Used by the 148-byte layout only.
  std::string BaseFolder;
  std::uint32_t PasswordReqCount = 0;
};

enum class UnzipRecordLayout : std::uint8_t {
  Below152,  // 16464 bytes: inline specification texts, no base folder or memory fields
  From152,   // 148 bytes
};

class UnzipCommand {
 public:
  // Builds the record for an engine of `engineVersion` (the version times 100).
  UnzipCommand(const UnzipCommandSettings& settings, std::int32_t engineVersion);

  UnzipCommand(const UnzipCommand&) = delete;
  UnzipCommand& operator=(const UnzipCommand&) = delete;

  [[nodiscard]] UnzipRecordLayout Layout() const { return layout_; }
  // The address handed to UnzDllExec.
  [[nodiscard]] void* Record();
  [[nodiscard]] std::span<const std::byte> RecordBytes() const;

  // The memory fields and the count override exist in the 148-byte layout only;
  // on the other they throw std::logic_error.
  void SetOutputMemory(void* buffer, std::uint32_t size);
  void SetInputMemory(const void* buffer, std::uint32_t size);
  void SetSpecificationCount(std::int32_t count);
  [[nodiscard]] bool OutputToMemory() const;

 private:
  [[nodiscard]] engines::UnzipCommandRecord& CompactRecord();
  void FillCompactRecord(const UnzipCommandSettings& settings, std::int32_t engineVersion);
  void FillLegacyRecord(const UnzipCommandSettings& settings);

  UnzipRecordLayout layout_;
  EngineTextStore texts_;
  std::vector<engines::UnzipSpecificationEntry> specifications_;
  std::unique_ptr<engines::UnzipCommandRecord> compactRecord_;
  std::unique_ptr<engines::UnzipCommandRecordBelow152> legacyRecord_;
};

enum class ZipCommandKind : std::uint8_t { Add, Delete };

// What a zip command needs from the component besides.
struct ZipCommandSettings : EngineCommandSettings {
  ZipCommandKind Kind = ZipCommandKind::Add;
  AddStoreSuffixSet StoreSuffixes;
  std::int32_t CompressionLevel = 9;
  StringList Exclusions;
  std::string TempDir;
  std::string RawArchiveComment;
  std::string RootDir;
  DeleteOpts HowToDelete = DeleteOpts::htdAllowUndo;
};

enum class ZipRecordLayout : std::uint8_t {
  Below151,  // 16520 bytes: inline specification texts
  From151,   // 216 bytes
};

class ZipCommand {
 public:
  ZipCommand(const ZipCommandSettings& settings, std::int32_t engineVersion);

  ZipCommand(const ZipCommand&) = delete;
  ZipCommand& operator=(const ZipCommand&) = delete;

  [[nodiscard]] ZipRecordLayout Layout() const { return layout_; }
  // The address handed to ZipDllExec.
  [[nodiscard]] void* Record();
  [[nodiscard]] std::span<const std::byte> RecordBytes() const;

  // The memory fields exist in the 216-byte layout only; on the other they throw
  // std::logic_error.
  void SetInputMemory(const void* buffer, std::uint32_t size);
  void SetOutputMemory(void* buffer, std::uint32_t size);
  // The attributes and DOS date-time (date high, time low) of an entry made from memory.
  void SetMemoryEntry(std::uint32_t attributes, std::uint32_t dosDateTime);
  // What the engine wrote back into the output size field.
  [[nodiscard]] std::uint32_t OutputSize() const;

 private:
  [[nodiscard]] engines::ZipCommandRecord& CompactRecord();
  [[nodiscard]] const engines::ZipCommandRecord& CompactRecord() const;
  void FillHeader(engines::ZipCommandHeader& header, const ZipCommandSettings& settings);
  static void ClearAddOnlyFields(engines::ZipCommandHeader& header);
  void FillCompactRecord(const ZipCommandSettings& settings, std::int32_t engineVersion);
  void FillLegacyRecord(const ZipCommandSettings& settings);
  [[nodiscard]] engines::ZipSpecificationEntry MakeSpecificationEntry(std::string_view line,
                                                                      const engines::ZipCommandHeader& header,
                                                                      const char* rootDir);

  ZipRecordLayout layout_;
  EngineTextStore texts_;
  std::vector<engines::ZipSpecificationEntry> specifications_;
  std::vector<const char*> exclusions_;
  std::unique_ptr<engines::ZipCommandRecord> compactRecord_;
  std::unique_ptr<engines::ZipCommandRecordBelow151> legacyRecord_;
};

// ".gif:.png:..." for the members of `suffixes` in ordinal order; "" for none.
[[nodiscard]] std::string StoredSuffixList(AddStoreSuffixSet suffixes);

}  // namespace zipbuilder
