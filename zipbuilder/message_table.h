// The component's message table: every message, error or notice, has an ID
// between 10101 and 11047 and a text in the ANSI code page. The table is compiled
// in; a lookup by an ID it does not hold gives the fallback text with that ID.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zipbuilder {

struct MessageTableEntry {
  int Id;
  std::string_view Text;
};

// Named message IDs, grouped by the operation that reports them.
namespace message_id {
// General
inline constexpr int ZipEngineAbort = 10101;
inline constexpr int NoZipFileSpecified = 10102;
inline constexpr int MemoryNotAvailable = 10103;
inline constexpr int PasswordsDoNotMatch = 10104;
inline constexpr int CopyingProgress = 10105;
// Rename
inline constexpr int RenameSfxHeaderCopyError = 10140;
inline constexpr int RenameSpannedNotImplemented = 10141;
inline constexpr int RenameProcessing = 10142;
inline constexpr int RenameRenamedTo = 10143;
// Passwords and the password dialog
inline constexpr int NoAddPassword = 10150;
inline constexpr int NoExtractPassword = 10151;
inline constexpr int PasswordOkButton = 10152;
inline constexpr int PasswordCancelButton = 10153;
inline constexpr int PasswordCaption = 10154;
inline constexpr int PasswordPrompt = 10155;
inline constexpr int PasswordConfirmPrompt = 10156;
inline constexpr int PasswordCancelAllButton = 10157;
inline constexpr int PasswordAbortButton = 10158;
inline constexpr int PasswordForFile = 10159;
// Copying entries between archives
inline constexpr int CopySameArchive = 10180;
inline constexpr int CopyOverwriteQuestion = 10181;
inline constexpr int CopyFileFailed = 10182;
inline constexpr int CopyFileNotPresent = 10183;
inline constexpr int CopySfxDataError = 10184;
inline constexpr int CopyDestinationNotOpened = 10185;
// Reading the directory
inline constexpr int ListSeekError = 10201;
inline constexpr int ListUnknownError = 10202;
inline constexpr int ListStructureWarning = 10203;
inline constexpr int ListGarbageWarning = 10204;
// Add
inline constexpr int AddNoFiles = 10301;
inline constexpr int AddUnattendedNeedsPassword = 10302;
inline constexpr int AddFreshenOnSpanned = 10303;
inline constexpr int AddAutoSfxError = 10304;
inline constexpr int AddStreamsNeedNewerEngine = 10305;
inline constexpr int InputStreamIsOutputStream = 10306;
inline constexpr int AddWildcardsNotAllowed = 10307;
// Delete
inline constexpr int DeleteNoFiles = 10401;
// Extract
inline constexpr int UnzipEngineAbort = 10501;
inline constexpr int UnattendedExtractWarning = 10502;
inline constexpr int ExtractStreamsNeedNewerEngine = 10503;
// Zip engine loading
inline constexpr int ZipEngineLoaded = 10601;
inline constexpr int ZipExecNotFound = 10602;
inline constexpr int ZipVersionNotFound = 10603;
inline constexpr int ZipEngineNotFound = 10604;
// Unzip engine loading
inline constexpr int UnzipEngineLoaded = 10701;
inline constexpr int UnzipExecNotFound = 10702;
inline constexpr int UnzipVersionNotFound = 10703;
inline constexpr int UnzipEngineNotFound = 10704;
// Conversion to a self-extractor
inline constexpr int SfxPropertyTooLong = 10801;
inline constexpr int SfxStubNotFound = 10802;
inline constexpr int SfxInputNotZip = 10803;
// Conversion back from a self-extractor
inline constexpr int SfxNoExeSpecified = 10901;
inline constexpr int SfxInputNotExe = 10902;
inline constexpr int SfxTypeUnknown = 10903;
// Archive files, the archive comment, spanned archives, rename and copy
inline constexpr int InputFileMissing = 11001;
inline constexpr int ZipFileNotOpened = 11002;
inline constexpr int InvalidDrive = 11003;
inline constexpr int DriveNotDefined = 11004;
inline constexpr int VolumeLabelNotSet = 11005;
inline constexpr int NoMemoryForMessageBox = 11006;
inline constexpr int UserCanceled = 11007;
inline constexpr int SeekError = 11008;
inline constexpr int OutputCreationFailed = 11009;
inline constexpr int WriteError = 11010;
inline constexpr int EndRecordReadError = 11011;
inline constexpr int LocalHeaderReadError = 11012;
inline constexpr int CentralHeaderReadError = 11013;
inline constexpr int LocalHeaderSignatureWrong = 11014;
inline constexpr int CentralHeaderSignatureWrong = 11015;
inline constexpr int LocalFileNameReadError = 11016;
inline constexpr int CentralFileNameReadError = 11017;
inline constexpr int LocalExtraFieldReadError = 11018;
inline constexpr int CentralExtraFieldReadError = 11019;
inline constexpr int DataDescriptorError = 11020;
inline constexpr int ZippedDataReadError = 11021;
inline constexpr int FileCommentReadError = 11022;
inline constexpr int ArchiveCommentReadError = 11023;
inline constexpr int RewriteUnknownError = 11024;
inline constexpr int UnattendedSpanningNotImplemented = 11025;
inline constexpr int LocalHeaderNotFound = 11026;
inline constexpr int TemporaryFileNotCreated = 11027;
inline constexpr int LocalHeaderWriteError = 11028;
inline constexpr int CentralHeaderWriteError = 11029;
inline constexpr int EndRecordWriteError = 11030;
inline constexpr int ExtendedLocalSignatureError = 11031;
inline constexpr int DiskSpaceTooSmall = 11032;
inline constexpr int InsertLastDisk = 11033;
inline constexpr int InsertDiskOf = 11034;
inline constexpr int InDrive = 11035;
inline constexpr int NotAValidZip = 11036;
inline constexpr int FirstDiskOfSet = 11037;
inline constexpr int NthDiskOfSet = 11038;
inline constexpr int FileExistsOverwrite = 11039;
inline constexpr int PreviousDiskOverwrite = 11040;
inline constexpr int SfxCannotSpan = 11041;
inline constexpr int CentralNameCopyError = 11042;
inline constexpr int EndRecordSkipSeekError = 11043;
inline constexpr int ArchiveCommentCopyError = 11044;
inline constexpr int FirstFileOfSet = 11045;
inline constexpr int InsertDiskVolume = 11046;
inline constexpr int CentralDirectory = 11047;
}  // namespace message_id

// Every entry of the table, in ascending ID order.
[[nodiscard]] std::span<const MessageTableEntry> MessageTable();

// The table's text for `id`, or nothing when the table holds none.
[[nodiscard]] std::optional<std::string_view> FindMessageText(int id);

// The table's text for `id`, or `defaultText` when that text is missing or empty.
[[nodiscard]] std::string LoadMessageText(int id, std::string_view defaultText);

// "ZipMsgxx.res is probably not linked ..." followed by the decimal `id`: what a
// report shows for an ID the table does not hold.
[[nodiscard]] std::string MissingMessageText(int id);

// The table's text for `id`, else MissingMessageText(id).
[[nodiscard]] std::string MessageTextOrMissing(int id);

}  // namespace zipbuilder
