// The enumerations and sets of the component's properties and events. Member
// names and ordinals are part of what the owner form stores and of what reaches
// the engines, so their order never changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zipbuilder/enum_set.h"

namespace zipbuilder {

enum class AddOptsEnum : std::uint8_t {
  AddDirNames,
  AddRecurseDirs,
  AddMove,
  AddFreshen,
  AddUpdate,
  AddZipTime,
  AddForceDOS,
  AddHiddenFiles,
  AddArchiveOnly,
  AddResetArchive,
  AddEncrypt,
  AddSeparateDirs,
  AddVolume,
  AddDiskSpan,
  AddDiskSpanErase,
};
using AddOptsSet = EnumSet<AddOptsEnum, std::uint16_t>;

enum class ExtrOptsEnum : std::uint8_t {
  ExtrDirNames,
  ExtrOverWrite,
  ExtrFreshen,
  ExtrUpdate,
  ExtrTest,
};
using ExtrOptsSet = EnumSet<ExtrOptsEnum, std::uint8_t>;

enum class SFXOptsEnum : std::uint8_t {
  SFXAskCmdLine,
  SFXAskFiles,
  SFXAutoRun,
  SFXHideOverWriteBox,
  SFXCheckSize,
  SFXNoSuccessMsg,
};
using SFXOptsSet = EnumSet<SFXOptsEnum, std::uint8_t>;

enum class OvrOpts : std::uint8_t { OvrConfirm, OvrAlways, OvrNever };

enum class CPOpts : std::uint8_t { cpAUTO, cpNone, cpOEM };

enum class DeleteOpts : std::uint8_t { htdFinal, htdAllowUndo };

enum class AddStoreSuffix : std::uint8_t {
  assGIF,
  assPNG,
  assZ,
  assZIP,
  assZOO,
  assARC,
  assLZH,
  assARJ,
  assTAZ,
  assTGZ,
  assLHA,
  assRAR,
  assACE,
  assCAB,
  assGZ,
  assGZIP,
  assJAR,
  assEXE,
};
inline constexpr unsigned AddStoreSuffixCount = 18;
using AddStoreSuffixSet = EnumSet<AddStoreSuffix, std::uint32_t>;

enum class ProgressType : std::uint8_t {
  pgNewFile = 0,
  pgBytesDone = 1,
  pgBatchEnd = 2,
  pgFileCount = 3,
  pgTotalSize = 4,
};

enum class TPasswordButton : std::uint8_t {
  pbOk = 0,
  pbCancel = 1,
  pbCancelAll = 2,
  pbAbort = 3,
};
using TPasswordButtonSet = EnumSet<TPasswordButton, std::uint8_t>;

// Why the unzip engine skipped a file: the engine's reason code minus one. A
// value without a name here is a reason of a newer engine; it passes through as
// it came, so an owner must expect more values than these.
enum class UnZipSkipTypes : std::uint8_t {
  skNotOverwritten = 0,     // the file exists and the overwrite answer was no
  skNotPresent = 1,         // freshen: there is no file to freshen
  skExistingNotOlder = 2,   // freshen or update: the existing file is as new or newer
  skUnsafeName = 3,         // the name would leave the base folder or is no file name
  skUnsupportedMethod = 4,  // neither stored nor deflated
  skUnsupportedFeature = 5, // strong encryption, patch data, Zip64 sizes, another disk
  skPasswordMissing = 6,    // encrypted, and no password was given
  skPasswordWrong = 7,      // encrypted, and no password given fits
  skCrcError = 8,           // CRC mismatch, and the file was not kept
  skDataError = 9,          // damaged data or header
  skWriteFailed = 10,       // the file could not be created, written or moved into place
  skLinkOutsideBase = 11,   // an existing folder on the way links out of the base folder
  skNoOutputMemory = 12,    // no memory for output to memory
};

enum class ZipDiskStatusFlag : std::uint8_t {
  stDiskEmpty,
  stDiskUsed,
  stPreviousPart,
  stFileExists,
  stNoSpace,
};
using TZipDiskStatus = EnumSet<ZipDiskStatusFlag, std::uint8_t>;

enum class TZipDiskAction : std::uint8_t {
  daOk = 0,
  daErase = 1,
  daOtherDisk = 2,
  daCancel = 3,
};

// One rename request of Rename. OldName is looked for anywhere in an entry's
// name (ASCII letters of either case match); a value that ends in "\" (or is
// empty) names a folder. DateTime (DOS date high, time low; 0: unchanged) goes to
// every entry this item renames.
struct RenameItem {
  std::string OldName;
  std::string NewName;
  std::uint32_t DateTime = 0;
};

// What CopyZippedFiles does with the copied entries in the source archive.
enum class CopySourceEntries : std::uint8_t { Keep, DeleteCopied };

// The results of the operations that rewrite an archive without an engine
// (Rename, CopyZippedFiles).
namespace rewrite_result {
inline constexpr int Success = 0;
inline constexpr int Busy = -6;          // ZipSideBusy was set: nothing done, nothing reported
inline constexpr int Reported = -7;      // a component error, already reported
inline constexpr int OutOfMemory = -8;   // reported as 10103
inline constexpr int OtherFailure = -9;  // reported as 11024
inline constexpr int NewNameWithoutFileName = -10;  // Rename: a file renamed to a folder name; nothing reported
}  // namespace rewrite_result

// The toolkit's string list: one text per line.
using StringList = std::vector<std::string>;

// The direction of a code page conversion of names and comments.
enum class CodePageDirection : std::uint8_t { ToAnsi, ToOem };

// Whether the component is being edited in a form designer; some setters skip
// their side effects there.
enum class ComponentMode : std::uint8_t { Running, Designing };

}  // namespace zipbuilder
