// The binary interface between the archive component and the two engine
// libraries: the command records handed to UnzDllExec and ZipDllExec, their
// file specification entries, the callback record and the entry points.
//
// Divisions of this file:
//   1. calling convention and entry points
//   2. shared constants (record version, end marker, version thresholds)
//   3. callback record and action codes
//   4. unzip command records (148-byte and 16464-byte layouts) and the 72-byte entry
//   5. zip command records (216-byte and 16520-byte layouts) and the 104-byte entry
//   6. layout checks for 32-bit builds
//
// Width rules. The records are exchanged between separately built modules, so
// every field has a fixed width, except address fields, which are plain pointers:
// 4 bytes on the 32-bit Windows build, where the offsets below are the interface
// and are checked at compile time, and pointer-wide on 64-bit builds, where the
// fields keep the same order but the offsets move (both sides of a 64-bit build
// are compiled from this header, so they agree). No exception may cross the
// boundary: an engine entry point catches everything and answers with a count.
//
// An engine built with mingw must export its entry points undecorated
// ("UnzDllExec", not "UnzDllExec@4"), because the component resolves them by
// those names; link it with --kill-at or a module definition file.
#pragma once

#include <cstddef>
#include <cstdint>

// 32-bit Windows uses the standard Windows calling convention (callee pops);
// everywhere else the platform's one convention applies.
#if defined(_WIN32) && !defined(_WIN64)
#define ENGINE_CALL __stdcall
#else
#define ENGINE_CALL
#endif

// What an engine library puts in front of its entry points so that the loader
// finds them by name.
#if defined(_WIN32)
#define ENGINE_EXPORT __declspec(dllexport)
#else
#define ENGINE_EXPORT __attribute__((visibility("default")))
#endif

namespace engines {

struct EngineCallbackRecord;

// ---------------------------------------------------------------------------
// 1. Entry points
// ---------------------------------------------------------------------------

// The component's callback: returns 1 to ask the engine to stop, else 0.
using EngineCallbackFunction = std::int32_t(ENGINE_CALL*)(EngineCallbackRecord* record);
// UnzDllExec / ZipDllExec: the argument is the address of whichever command record
// layout the engine's version selects; the result is the number of files processed.
using EngineExecFunction = std::int32_t(ENGINE_CALL*)(void* commandRecord);
// GetUnzDllVersion, GetUnzDllPrivVersion, GetZipDllVersion, GetZipDllPrivVersion:
// the version times 100 (160 for 1.60).
using EngineVersionFunction = std::int32_t(ENGINE_CALL*)();

inline constexpr const char* UnzipExecEntryName = "UnzDllExec";
inline constexpr const char* UnzipVersionEntryName = "GetUnzDllVersion";
inline constexpr const char* UnzipPrivVersionEntryName = "GetUnzDllPrivVersion";
inline constexpr const char* ZipExecEntryName = "ZipDllExec";
inline constexpr const char* ZipVersionEntryName = "GetZipDllVersion";
inline constexpr const char* ZipPrivVersionEntryName = "GetZipDllPrivVersion";

inline constexpr const char* UnzipEngineFileName = "UNZDLL.DLL";
inline constexpr const char* ZipEngineFileName = "ZIPDLL.DLL";

// ---------------------------------------------------------------------------
// 2. Shared constants
// ---------------------------------------------------------------------------

inline constexpr std::uint32_t CommandRecordVersion = 160;
inline constexpr std::uint32_t CommandRecordEndMarker = 7;

// Unzip engines from this version on take UnzipCommandRecord, older ones
// UnzipCommandRecordBelow152.
inline constexpr std::int32_t UnzipCompactRecordVersion = 152;
// Zip engines from this version on take ZipCommandRecord, older ones ZipCommandRecordBelow151.
inline constexpr std::int32_t ZipCompactRecordVersion = 151;
// The first engine version that reads the memory fields, PasswordReqCount and the
// other fields marked "160" below.
inline constexpr std::int32_t StreamCapableVersion = 160;

// The old layouts carry the specification texts inline; this is their slot count.
inline constexpr std::size_t LegacySpecificationSlots = 4097;

// Passwords handed to an engine are cut to this many characters.
inline constexpr std::size_t MaximumPasswordLength = 81;

// ---------------------------------------------------------------------------
// 3. Callback record
// ---------------------------------------------------------------------------

enum class EngineAction : std::int32_t {
  None = 0,  // what an answer writes to stop an engine from asking again
  NewFile = 1,
  BytesDone = 2,
  BatchEnd = 3,
  Message = 4,
  FileCount = 5,
  TotalSize = 6,
  NewName = 7,
  PasswordRequest = 8,
  CrcError = 9,
  OverwriteQuestion = 10,
  FileSkipped = 11,
  FileComment = 12,
  OutputMemoryRequest = 13,
};

// The text area is the engine's; this size leaves room for long engine messages
// besides the 513 bytes the component may write (512 characters and a zero).
inline constexpr std::size_t EngineCallbackTextSize = 4096;
// Action 12 carries the file comment as a second zero-terminated text this far
// into the text area.
inline constexpr std::size_t EngineCallbackCommentOffset = 256;
// The most the component writes into the text area, terminating zero excluded.
inline constexpr std::size_t EngineCallbackMaximumAnswer = 512;
inline constexpr std::size_t EngineCallbackMaximumComment = 511;
static_assert(EngineCallbackTextSize > EngineCallbackMaximumAnswer);
static_assert(EngineCallbackTextSize > EngineCallbackCommentOffset + EngineCallbackMaximumComment);

// Owned and filled by the engine; the component reads it and writes its answers
// into Value1, Value2, Text and, to stop password requests, Action. What the
// values mean for each action is in engine_protocol.h.
struct EngineCallbackRecord {
  std::uintptr_t EngineReserved0;  // the engine's own; the component never reads it
  void* Caller;                    // the component, copied from the command record
  std::uintptr_t EngineReserved8;  // the engine's own; the component never reads it
  std::int32_t IsZip;              // non-zero when the zip engine calls
  EngineAction Action;
  std::int32_t Value1;
  // Pointer-wide because action 13 answers an address in it.
  std::intptr_t Value2;
  char Text[EngineCallbackTextSize];
};

// ---------------------------------------------------------------------------
// 4. Unzip command records
// ---------------------------------------------------------------------------

// The first 0x40 bytes, shared by both unzip layouts. Flags are 32-bit 0 or 1.
struct UnzipCommandHeader {
  void* OwnerWindow;
  void* Caller;  // handed back in every callback record
  std::uint32_t RecordVersion;  // CommandRecordVersion
  EngineCallbackFunction Callback;
  std::int32_t Trace;
  std::uint16_t CodePage;  // 0 cpAUTO, 1 cpNone, 2 cpOEM
  std::uint16_t Reserved16;
  const char* Password;  // zero-terminated
  std::int32_t Test;
  std::int32_t Reserved20;
  std::int32_t Reserved24;
  std::int32_t AlwaysOne;  // 1
  std::int32_t Verbose;
  std::int32_t Update;
  std::int32_t Freshen;
  std::int32_t DirectoryNames;
  std::int32_t Overwrite;
};

// One file specification for engines of version 152 or more.
struct UnzipSpecificationEntry {
  const char* Specification;  // zero-terminated copy of one FSpecArgs line
  std::uint8_t Reserved[68];
};

// For unzip engines of version 152 or more (148 bytes on 32-bit).
struct UnzipCommandRecord {
  UnzipCommandHeader Header;
  std::int32_t SpecificationCount;
  const char* ArchivePath;
  UnzipSpecificationEntry* Specifications;  // SpecificationCount entries
  std::int32_t Reserved4C;
  std::int32_t OutputToMemory;
  void* OutputBuffer;
  std::uint32_t OutputSize;
  std::int32_t InputFromMemory;
  const void* InputBuffer;
  std::uint32_t InputSize;
  std::uint32_t PasswordReqCount;  // only for version 160 or more, else 0
  const char* BaseFolder;          // zero-terminated, at most 260 characters
  std::int32_t Reserved70[8];
  std::uint32_t EndMarker;  // CommandRecordEndMarker
};

// For unzip engines below version 152 (16464 bytes on 32-bit). It has no base
// folder, no memory fields and no PasswordReqCount.
struct UnzipCommandRecordBelow152 {
  UnzipCommandHeader Header;
  std::int32_t SpecificationCount;
  const char* ArchivePath;
  std::uint32_t EndMarker;  // CommandRecordEndMarker
  const char* SpecificationTexts[LegacySpecificationSlots];  // the first SpecificationCount used
};

// ---------------------------------------------------------------------------
// 5. Zip command records
// ---------------------------------------------------------------------------

// The first 0x80 bytes, shared by both zip layouts. Flags are 32-bit 0 or 1
// unless their width says otherwise.
struct ZipCommandHeader {
  void* OwnerWindow;
  void* Caller;
  std::uint32_t RecordVersion;  // CommandRecordVersion
  EngineCallbackFunction Callback;
  std::int32_t Trace;
  const char* Password;        // null when there is no password
  const char* StoredSuffixes;  // ".gif:.png:...", null when none
  std::int32_t Encrypt;
  std::int32_t HiddenFiles;
  std::int32_t Volume;
  std::int32_t Reserved28;
  std::int32_t DirectoryEntries;  // 1 when AddSeparateDirs is absent
  std::int32_t Reserved30;
  std::int32_t Verbose;
  std::int32_t AlwaysOne;  // 1
  std::int32_t CompressionLevel;
  std::int32_t Reserved40;
  std::int32_t Reserved44;
  std::int32_t DropFolderNames;  // 1 when AddDirNames is absent
  std::uint16_t Recurse;
  std::uint16_t Reserved4E;
  std::int32_t AddCommand;  // 1 for Add, 0 for Delete
  std::int32_t ForceDosNames;
  std::int32_t Move;
  std::int32_t DeleteCommand;  // 0 for Add, 1 for Delete
  std::int32_t Update;
  std::int32_t Freshen;
  std::int32_t Reserved68;
  std::int32_t ZipTime;
  std::int32_t Reserved70[2];
  std::int32_t SpecificationCount;
  const char* ArchivePath;
};

// One file specification for zip engines of version 151 or more.
struct ZipSpecificationEntry {
  const char* Specification;
  std::int32_t Reserved04[2];
  const char* Password;  // null when these files carry no password
  std::int32_t Encrypt;
  std::uint16_t Recurse;
  std::uint8_t Reserved16[14];
  const char* RootDir;  // null when RootDir is empty
  std::uint8_t Reserved28[64];
};

// For zip engines of version 151 or more (216 bytes on 32-bit). The fields marked
// "160" are filled only for an engine of exactly that version.
struct ZipCommandRecord {
  ZipCommandHeader Header;
  const char* TempDir;         // versions 151 and 160 only
  const char* ArchiveComment;  // 160; raw, as stored
  std::uint16_t ArchiveOnly;   // 160
  std::uint16_t ResetArchive;  // 160
  ZipSpecificationEntry* Specifications;  // Header.SpecificationCount entries
  std::int32_t Reserved90;
  std::int32_t ExclusionCount;          // 160
  const char* const* ExclusionTexts;    // 160; ExclusionCount addresses
  std::int32_t OutputToMemory;
  void* OutputBuffer;
  std::uint32_t OutputSize;  // the engine writes back the bytes it produced
  std::int32_t InputFromMemory;
  const void* InputBuffer;
  std::uint32_t InputSize;
  std::uint32_t MemoryEntryAttributes;
  std::uint32_t MemoryEntryDosDateTime;  // date high, time low
  std::int32_t RecycleBin;               // 160
  std::uint16_t CodePage;                // 160; 2 for cpOEM, else 0
  std::uint8_t ReservedC2[18];
  std::uint32_t EndMarker;  // CommandRecordEndMarker
};

// For zip engines below version 151 (16520 bytes on 32-bit).
struct ZipCommandRecordBelow151 {
  ZipCommandHeader Header;
  std::uint32_t EndMarker;  // CommandRecordEndMarker
  const char* SpecificationTexts[LegacySpecificationSlots];
};

// ---------------------------------------------------------------------------
// 6. Layout checks. On a 32-bit build every offset is the interface; on 64-bit
//    builds the checks hold trivially.
// ---------------------------------------------------------------------------

namespace layout {
inline constexpr bool Is32Bit = sizeof(void*) == 4;
}  // namespace layout

#define ENGINE_RECORD_OFFSET(type, field, offset) \
  static_assert(!layout::Is32Bit || offsetof(type, field) == (offset), #type "::" #field " is not at " #offset)
#define ENGINE_RECORD_SIZE(type, size) \
  static_assert(!layout::Is32Bit || sizeof(type) == (size), #type " is not " #size " bytes")

ENGINE_RECORD_OFFSET(EngineCallbackRecord, EngineReserved0, 0x00);
ENGINE_RECORD_OFFSET(EngineCallbackRecord, Caller, 0x04);
ENGINE_RECORD_OFFSET(EngineCallbackRecord, EngineReserved8, 0x08);
ENGINE_RECORD_OFFSET(EngineCallbackRecord, IsZip, 0x0C);
ENGINE_RECORD_OFFSET(EngineCallbackRecord, Action, 0x10);
ENGINE_RECORD_OFFSET(EngineCallbackRecord, Value1, 0x14);
ENGINE_RECORD_OFFSET(EngineCallbackRecord, Value2, 0x18);
ENGINE_RECORD_OFFSET(EngineCallbackRecord, Text, 0x1C);
ENGINE_RECORD_SIZE(EngineCallbackRecord, 0x1C + EngineCallbackTextSize);

ENGINE_RECORD_OFFSET(UnzipCommandHeader, OwnerWindow, 0x00);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Caller, 0x04);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, RecordVersion, 0x08);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Callback, 0x0C);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Trace, 0x10);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, CodePage, 0x14);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Reserved16, 0x16);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Password, 0x18);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Test, 0x1C);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Reserved20, 0x20);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Reserved24, 0x24);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, AlwaysOne, 0x28);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Verbose, 0x2C);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Update, 0x30);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Freshen, 0x34);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, DirectoryNames, 0x38);
ENGINE_RECORD_OFFSET(UnzipCommandHeader, Overwrite, 0x3C);
ENGINE_RECORD_SIZE(UnzipCommandHeader, 0x40);

ENGINE_RECORD_OFFSET(UnzipSpecificationEntry, Reserved, 0x04);
ENGINE_RECORD_SIZE(UnzipSpecificationEntry, 72);

ENGINE_RECORD_OFFSET(UnzipCommandRecord, SpecificationCount, 0x40);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, ArchivePath, 0x44);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, Specifications, 0x48);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, Reserved4C, 0x4C);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, OutputToMemory, 0x50);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, OutputBuffer, 0x54);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, OutputSize, 0x58);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, InputFromMemory, 0x5C);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, InputBuffer, 0x60);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, InputSize, 0x64);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, PasswordReqCount, 0x68);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, BaseFolder, 0x6C);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, Reserved70, 0x70);
ENGINE_RECORD_OFFSET(UnzipCommandRecord, EndMarker, 0x90);
ENGINE_RECORD_SIZE(UnzipCommandRecord, 148);

ENGINE_RECORD_OFFSET(UnzipCommandRecordBelow152, SpecificationCount, 0x40);
ENGINE_RECORD_OFFSET(UnzipCommandRecordBelow152, ArchivePath, 0x44);
ENGINE_RECORD_OFFSET(UnzipCommandRecordBelow152, EndMarker, 0x48);
ENGINE_RECORD_OFFSET(UnzipCommandRecordBelow152, SpecificationTexts, 0x4C);
ENGINE_RECORD_SIZE(UnzipCommandRecordBelow152, 16464);

ENGINE_RECORD_OFFSET(ZipCommandHeader, OwnerWindow, 0x00);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Caller, 0x04);
ENGINE_RECORD_OFFSET(ZipCommandHeader, RecordVersion, 0x08);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Callback, 0x0C);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Trace, 0x10);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Password, 0x14);
ENGINE_RECORD_OFFSET(ZipCommandHeader, StoredSuffixes, 0x18);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Encrypt, 0x1C);
ENGINE_RECORD_OFFSET(ZipCommandHeader, HiddenFiles, 0x20);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Volume, 0x24);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Reserved28, 0x28);
ENGINE_RECORD_OFFSET(ZipCommandHeader, DirectoryEntries, 0x2C);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Reserved30, 0x30);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Verbose, 0x34);
ENGINE_RECORD_OFFSET(ZipCommandHeader, AlwaysOne, 0x38);
ENGINE_RECORD_OFFSET(ZipCommandHeader, CompressionLevel, 0x3C);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Reserved40, 0x40);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Reserved44, 0x44);
ENGINE_RECORD_OFFSET(ZipCommandHeader, DropFolderNames, 0x48);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Recurse, 0x4C);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Reserved4E, 0x4E);
ENGINE_RECORD_OFFSET(ZipCommandHeader, AddCommand, 0x50);
ENGINE_RECORD_OFFSET(ZipCommandHeader, ForceDosNames, 0x54);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Move, 0x58);
ENGINE_RECORD_OFFSET(ZipCommandHeader, DeleteCommand, 0x5C);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Update, 0x60);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Freshen, 0x64);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Reserved68, 0x68);
ENGINE_RECORD_OFFSET(ZipCommandHeader, ZipTime, 0x6C);
ENGINE_RECORD_OFFSET(ZipCommandHeader, Reserved70, 0x70);
ENGINE_RECORD_OFFSET(ZipCommandHeader, SpecificationCount, 0x78);
ENGINE_RECORD_OFFSET(ZipCommandHeader, ArchivePath, 0x7C);
ENGINE_RECORD_SIZE(ZipCommandHeader, 0x80);

ENGINE_RECORD_OFFSET(ZipSpecificationEntry, Specification, 0x00);
ENGINE_RECORD_OFFSET(ZipSpecificationEntry, Reserved04, 0x04);
ENGINE_RECORD_OFFSET(ZipSpecificationEntry, Password, 0x0C);
ENGINE_RECORD_OFFSET(ZipSpecificationEntry, Encrypt, 0x10);
ENGINE_RECORD_OFFSET(ZipSpecificationEntry, Recurse, 0x14);
ENGINE_RECORD_OFFSET(ZipSpecificationEntry, Reserved16, 0x16);
ENGINE_RECORD_OFFSET(ZipSpecificationEntry, RootDir, 0x24);
ENGINE_RECORD_OFFSET(ZipSpecificationEntry, Reserved28, 0x28);
ENGINE_RECORD_SIZE(ZipSpecificationEntry, 104);

ENGINE_RECORD_OFFSET(ZipCommandRecord, TempDir, 0x80);
ENGINE_RECORD_OFFSET(ZipCommandRecord, ArchiveComment, 0x84);
ENGINE_RECORD_OFFSET(ZipCommandRecord, ArchiveOnly, 0x88);
ENGINE_RECORD_OFFSET(ZipCommandRecord, ResetArchive, 0x8A);
ENGINE_RECORD_OFFSET(ZipCommandRecord, Specifications, 0x8C);
ENGINE_RECORD_OFFSET(ZipCommandRecord, Reserved90, 0x90);
ENGINE_RECORD_OFFSET(ZipCommandRecord, ExclusionCount, 0x94);
ENGINE_RECORD_OFFSET(ZipCommandRecord, ExclusionTexts, 0x98);
ENGINE_RECORD_OFFSET(ZipCommandRecord, OutputToMemory, 0x9C);
ENGINE_RECORD_OFFSET(ZipCommandRecord, OutputBuffer, 0xA0);
ENGINE_RECORD_OFFSET(ZipCommandRecord, OutputSize, 0xA4);
ENGINE_RECORD_OFFSET(ZipCommandRecord, InputFromMemory, 0xA8);
ENGINE_RECORD_OFFSET(ZipCommandRecord, InputBuffer, 0xAC);
ENGINE_RECORD_OFFSET(ZipCommandRecord, InputSize, 0xB0);
ENGINE_RECORD_OFFSET(ZipCommandRecord, MemoryEntryAttributes, 0xB4);
ENGINE_RECORD_OFFSET(ZipCommandRecord, MemoryEntryDosDateTime, 0xB8);
ENGINE_RECORD_OFFSET(ZipCommandRecord, RecycleBin, 0xBC);
ENGINE_RECORD_OFFSET(ZipCommandRecord, CodePage, 0xC0);
ENGINE_RECORD_OFFSET(ZipCommandRecord, ReservedC2, 0xC2);
ENGINE_RECORD_OFFSET(ZipCommandRecord, EndMarker, 0xD4);
ENGINE_RECORD_SIZE(ZipCommandRecord, 216);

ENGINE_RECORD_OFFSET(ZipCommandRecordBelow151, EndMarker, 0x80);
ENGINE_RECORD_OFFSET(ZipCommandRecordBelow151, SpecificationTexts, 0x84);
ENGINE_RECORD_SIZE(ZipCommandRecordBelow151, 16520);

#undef ENGINE_RECORD_OFFSET
#undef ENGINE_RECORD_SIZE

}  // namespace engines
