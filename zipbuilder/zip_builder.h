// TZipBuilder: the archive component. It keeps every setting of the archive
// operations as properties, the state of the current archive, the binding to
// the two engine libraries and the events through which it reports progress
// and asks its owner questions. It does no compression itself.
//
// Divisions of the class and the files that implement them:
//   construction, properties, run-time state ....... zip_builder.cpp
//   the state the operations share ................. component_state.h
//   reporting messages and errors .................. messages.cpp
//   OEM/ANSI conversion ............................ oem_ansi_convert.cpp
//   busy cursor nesting ............................ busy_cursor.cpp
//   engine version getters ......................... engine_versions.cpp
//   engine loading and unloading ................... engine_loader.cpp
//   the listing (List, ClearEntryList) ............. list.cpp
//   end record search (LocateEndRecord) ............ end_record_locator.cpp
//   reading the archive file for the format core ... file_read_at.cpp
//   disks of a spanned set (SelectDisk, ...) ....... disk_selection.cpp
//   drives and disk prompts (CheckDrive, ...) ...... drive_routines.cpp
//   ArchiveComment (reading and writing) ........... archive_comment.cpp
//   shared file routines (CopyWholeFile, ...) ...... file_routines.cpp
//   engine command records ......................... command_records.cpp
//   one engine command for Extract, Add, Delete .... engine_run.cpp
//   EngineCallback (progress, engine questions) .... engine_callback.cpp
//   extraction to disk and to memory ............... extraction.cpp
//   adding files and memory (Add, ...) ............. add.cpp
//   deleting entries ............................... delete.cpp
//   password prompts, TPasswordDlg ................. password_prompts.cpp
//
// Failures are reports, not exceptions to the caller: an operation that fails
// sets ErrCode and LastMessage, shows a box unless Unattended, and raises
// OnMessage. The caller reads ErrCode, LastMessage and ProcessedCount afterwards.
//
// Threading: everything, events included, runs on the GUI thread inside the
// operation's call. UnzipSideBusy and ZipSideBusy keep an event handler from
// starting a second operation of the same side meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engines/engine_records.h"
#include "platform/drives.h"
#include "platform/dynamic_library.h"
#include "platform/files.h"
#include "zipbuilder/component_state.h"
#include "zipbuilder/component_types.h"
#include "zipbuilder/events.h"
#include "zipbuilder/icon.h"
#include "zipbuilder/password_prompts.h"
#include "zipbuilder/toolkit.h"
#include "zipbuilder/zip_builder_error.h"
#include "zipbuilder/zip_dir_entry.h"
#include "zipbuilder/zip_records.h"
#include "zipbuilder/zip_stream.h"

namespace zipformat {
class CentralDirectoryWalker;
struct CentralHeader;
struct DirectoryEntry;
struct LocalEntry;
struct LocatedEndRecord;
class PrefixMeasure;
}  // namespace zipformat

namespace zipbuilder {

struct LocalHeaderChange;
struct NewCentralEntry;

// Results of CopyWholeFile and CopyFileBytes.
namespace copy_result {
inline constexpr std::int32_t Success = 0;
inline constexpr std::int32_t DestinationNotCreated = -1;
inline constexpr std::int32_t WriteFailed = -2;
inline constexpr std::int32_t SourceMissing = -3;
inline constexpr std::int32_t DateNotSet = -4;
inline constexpr std::int32_t SizeMismatch = -9;
}  // namespace copy_result


class TZipBuilder {
 public:
  // Uses a HeadlessToolkit of its own: boxes cannot be shown (they answer 0) and
  // password dialogs answer Cancel. For owners without a user interface.
  TZipBuilder();
  // Uses `toolkit`, which must outlive the component.
  explicit TZipBuilder(Toolkit& toolkit);
  // Does not unload the engines: each operation unloads what it loaded.
  ~TZipBuilder();

  TZipBuilder(const TZipBuilder&) = delete;
  TZipBuilder& operator=(const TZipBuilder&) = delete;

  // The component's name in its owner form (e.g. "ZipBuilder1") and a number
  // free for the owner's use, as every toolkit component has.
  [[nodiscard]] const std::string& Name() const { return name_; }
  void SetName(std::string_view value) { name_ = value; }
  [[nodiscard]] std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t value) { tag_ = value; }

  // Set by the form designer; in design mode ZipFileName does not list the archive.
  [[nodiscard]] ComponentMode Mode() const { return mode_; }
  void SetMode(ComponentMode mode) { mode_ = mode; }

  // ---------------------------------------------------------------------------
  // Published properties, in their declared (and stored) order.
  // ---------------------------------------------------------------------------

  [[nodiscard]] bool Verbose() const { return verbose_; }
  void SetVerbose(bool value) { verbose_ = value; }

  // Also announces each engine load; the engines get the verbose flag with it.
  [[nodiscard]] bool Trace() const { return trace_; }
  void SetTrace(bool value) { trace_ = value; }

  [[nodiscard]] std::int32_t AddCompLevel() const { return addCompLevel_; }
  void SetAddCompLevel(std::int32_t value) { addCompLevel_ = value; }

  [[nodiscard]] AddOptsSet AddOptions() const { return addOptions_; }
  void SetAddOptions(AddOptsSet value) { addOptions_ = value; }

  [[nodiscard]] ExtrOptsSet ExtrOptions() const { return extrOptions_; }
  void SetExtrOptions(ExtrOptsSet value) { extrOptions_ = value; }

  [[nodiscard]] SFXOptsSet SFXOptions() const { return sfxOptions_; }
  void SetSFXOptions(SFXOptsSet value) { sfxOptions_ = value; }

  [[nodiscard]] const std::string& ExtrBaseDir() const { return extrBaseDir_; }
  void SetExtrBaseDir(std::string_view value) { extrBaseDir_ = value; }

  // The owned list of file specifications of the next operation.
  [[nodiscard]] StringList& FSpecArgs() { return fSpecArgs_; }
  [[nodiscard]] const StringList& FSpecArgs() const { return fSpecArgs_; }
  void SetFSpecArgs(const StringList& lines) { fSpecArgs_ = lines; }

  [[nodiscard]] const std::string& ZipFileName() const { return zipFileName_; }
  // Stores the name and, outside design mode, lists the archive at once.
  void SetZipFileName(std::string_view value);

  // At most its first 81 characters reach the engines.
  [[nodiscard]] const std::string& Password() const { return password_; }
  void SetPassword(std::string_view value) { password_ = value; }

  [[nodiscard]] const std::string& SFXPath() const { return sfxPath_; }
  void SetSFXPath(std::string_view value) { sfxPath_ = value; }

  // A new value is stored without one trailing backslash ("\" only: "/" is kept).
  [[nodiscard]] const std::string& DLLDirectory() const { return dllDirectory_; }
  void SetDLLDirectory(std::string_view value);

  [[nodiscard]] OvrOpts SFXOverWriteMode() const { return sfxOverWriteMode_; }
  void SetSFXOverWriteMode(OvrOpts value) { sfxOverWriteMode_ = value; }

  [[nodiscard]] const std::string& SFXCaption() const { return sfxCaption_; }
  void SetSFXCaption(std::string_view value) { sfxCaption_ = value; }

  [[nodiscard]] const std::string& SFXDefaultDir() const { return sfxDefaultDir_; }
  void SetSFXDefaultDir(std::string_view value) { sfxDefaultDir_ = value; }

  [[nodiscard]] const std::string& SFXCommandLine() const { return sfxCommandLine_; }
  void SetSFXCommandLine(std::string_view value) { sfxCommandLine_ = value; }

  [[nodiscard]] const std::string& SFXMessage() const { return sfxMessage_; }
  void SetSFXMessage(std::string_view value) { sfxMessage_ = value; }

  // Empty means the system's temporary folder.
  [[nodiscard]] const std::string& TempDir() const { return tempDir_; }
  void SetTempDir(std::string_view value) { tempDir_ = value; }

  // Negative values are ignored.
  [[nodiscard]] std::int64_t KeepFreeOnDisk1() const { return keepFreeOnDisk1_; }
  void SetKeepFreeOnDisk1(std::int32_t value);

  // 0 means the whole disk; negative values are ignored.
  [[nodiscard]] std::int64_t MaxVolumeSize() const { return maxVolumeSize_; }
  void SetMaxVolumeSize(std::int32_t value);

  // Values of 0 or less are ignored.
  [[nodiscard]] std::int32_t MinFreeVolumeSize() const { return minFreeVolumeSize_; }
  void SetMinFreeVolumeSize(std::int32_t value);

  [[nodiscard]] bool ConfirmErase() const { return confirmErase_; }
  void SetConfirmErase(bool value) { confirmErase_ = value; }

  // Reports show no box; password prompts are refused; disk prompts fail.
  [[nodiscard]] bool Unattended() const { return unattended_; }
  void SetUnattended(bool value) { unattended_ = value; }

  [[nodiscard]] CPOpts CodePage() const { return codePage_; }
  void SetCodePage(CPOpts value) { codePage_ = value; }

  [[nodiscard]] DeleteOpts HowToDelete() const { return howToDelete_; }
  void SetHowToDelete(DeleteOpts value) { howToDelete_ = value; }

  // Always "1.60 ": assignments are accepted and ignored, so that a stored form
  // with an older text still loads.
  [[nodiscard]] const std::string& VersionInfo() const { return versionInfo_; }
  void SetVersionInfo(std::string_view value);

  [[nodiscard]] const TIcon& SFXIcon() const { return sfxIcon_; }
  void SetSFXIcon(const TIcon& value) { sfxIcon_ = value; }

  [[nodiscard]] AddStoreSuffixSet AddStoreSuffixes() const { return addStoreSuffixes_; }
  void SetAddStoreSuffixes(AddStoreSuffixSet value) { addStoreSuffixes_ = value; }

  // A different value is stored capped at 15.
  [[nodiscard]] std::uint32_t PasswordReqCount() const { return passwordReqCount_; }
  void SetPasswordReqCount(std::uint32_t value);

  [[nodiscard]] StringList& FSpecArgsExcl() { return fSpecArgsExcl_; }
  [[nodiscard]] const StringList& FSpecArgsExcl() const { return fSpecArgsExcl_; }
  void SetFSpecArgsExcl(const StringList& lines) { fSpecArgsExcl_ = lines; }

  [[nodiscard]] bool UseDirOnlyEntries() const { return useDirOnlyEntries_; }
  void SetUseDirOnlyEntries(bool value) { useDirOnlyEntries_ = value; }

  // A different value is stored through AppendBackslash.
  [[nodiscard]] const std::string& RootDir() const { return rootDir_; }
  void SetRootDir(std::string_view value);

  // ---------------------------------------------------------------------------
  // Events
  // ---------------------------------------------------------------------------

  TProgressEvent OnProgress;
  TMessageEvent OnMessage;
  TNotifyEvent OnDirUpdate;
  TSetNewNameEvent OnSetNewName;
  TNewNameEvent OnNewName;
  TPasswordErrorEvent OnPasswordError;
  TCRC32ErrorEvent OnCRC32Error;
  TExtractOverwriteEvent OnExtractOverwrite;
  TExtractSkippedEvent OnExtractSkipped;
  TCopyZipOverwriteEvent OnCopyZipOverwrite;
  TGetNextDiskEvent OnGetNextDisk;
  TStatusDiskEvent OnStatusDisk;
  TFileCommentEvent OnFileComment;

  // ---------------------------------------------------------------------------
  // Run-time state
  // ---------------------------------------------------------------------------

  // The last message's ID, or an engine's error value reduced to its low byte.
  [[nodiscard]] int ErrCode() const { return errCode_; }
  [[nodiscard]] int EngineErrCode() const { return engineErrCode_; }
  [[nodiscard]] const std::string& LastMessage() const { return lastMessage_; }
  // The count returned by the last engine command.
  [[nodiscard]] int ProcessedCount() const { return processedCount_; }
  [[nodiscard]] bool UnzipSideBusy() const { return unzipSideBusy_; }
  [[nodiscard]] bool ZipSideBusy() const { return zipSideBusy_; }

  // Abort request, handed to the engine by every callback; an event handler may set it.
  [[nodiscard]] bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }

  // Entries in central directory order; valid until the next List.
  [[nodiscard]] const std::vector<std::unique_ptr<ZipDirEntry>>& DirEntries() const { return dirEntries_; }
  // 0 whenever ZipFileName is empty, whatever the list still holds.
  [[nodiscard]] int EntryCount() const;

  // The stored comment converted to ANSI when the code page rule asks for it.
  [[nodiscard]] std::string ArchiveComment() const;
  // Replaces the archive with a copy that carries the new comment behind its end
  // record. Failures are reported (11001, 11002, 11008, 11011, 11027, 11030,
  // 11010, or 10103) and leave the archive and RawComment as they were; without
  // an archive name (11001) RawComment is empty.
  void SetArchiveComment(std::string_view comment);

  [[nodiscard]] int BatchTotalSize() const { return batchTotalSize_; }
  [[nodiscard]] WindowHandle OwnerWindow() const { return ownerWindow_; }

  [[nodiscard]] TZipStream& ZipStream() { return *zipStream_; }
  [[nodiscard]] const TZipStream& ZipStream() const { return *zipStream_; }

  // The engines' versions times 100; 0 when the engine cannot be loaded or lacks
  // the entry. An engine that is not loaded is loaded for the question and
  // unloaded again.
  [[nodiscard]] int UnzipEngineVersion();
  [[nodiscard]] int UnzipEnginePrivVersion();
  [[nodiscard]] int ZipEngineVersion();
  [[nodiscard]] int ZipEnginePrivVersion();

  [[nodiscard]] platform::LibraryHandle UnzipEngineHandle() const { return unzipEngine_.Handle; }
  [[nodiscard]] platform::LibraryHandle ZipEngineHandle() const { return zipEngine_.Handle; }

  // Modal result of the latest password dialog, or the value mapped from a handler's answer.
  [[nodiscard]] int LastPasswordChoice() const { return lastPasswordChoice_; }

  [[nodiscard]] const DirectoryState& Directory() const { return directory_; }
  [[nodiscard]] const DriveState& Drive() const { return drive_; }

  // ---------------------------------------------------------------------------
  // Operations
  // ---------------------------------------------------------------------------

  // Reads the directory of ZipFileName into DirEntries and raises OnDirUpdate.
  // Never fails towards the caller: failures are reported and empty ZipFileName.
  void List();

  // Frees every entry of DirEntries and empties the list.
  void ClearEntryList();

  // Copies the file `source` into a new file beside `destination`, gives it the
  // source's date and puts it in place of the destination, whose old file goes as
  // HowToDelete says. Answers a copy_result value; on any failure but DateNotSet
  // the destination is as it was, except for a WriteFailed whose copy is in place
  // but whose name could not be flushed to the device.
  [[nodiscard]] std::int32_t CopyWholeFile(std::string_view source, std::string_view destination);

  // Loading policy: an operation loads an engine only when it is not loaded and
  // unloads it at its end only when it loaded it. Success shows as a non-null handle.
  void LoadUnzipEngine();
  void UnloadUnzipEngine();
  void LoadZipEngine();
  void UnloadZipEngine();

  // Reports message `id` with `extra` appended: sets ErrCode and LastMessage,
  // shows a box unless Unattended, raises OnMessage(0, text).
  void ReportMessage(int id, std::string_view extra = {});
  // Reports a caught EZipBuilder; its display flag can keep the box away.
  void ReportZipError(const EZipBuilder& error);

  // Converts `text` between the OEM and the ANSI code page when CodePage (or,
  // under cpAUTO, the version-made-by bytes of the last central header) asks for
  // it; otherwise returns it unchanged. The length may change (POSIX: ANSI is UTF-8).
  [[nodiscard]] std::string OemAnsiConvert(std::string_view text, CodePageDirection direction) const;

  // Nesting pair around long operations: the first start saves the screen cursor
  // and shows the hourglass, the stop that brings the count to exactly 0 restores it.
  void PushBusyCursor();
  void PopBusyCursor();

 private:
  friend class TZipBuilderTestAccess;

  void CompleteConstruction();
  [[nodiscard]] EngineBinding& Binding(EngineKind engine);
  void LoadEngine(EngineKind engine);
  void UnloadEngine(EngineKind engine);
  [[nodiscard]] int QueryEngineVersion(EngineKind engine, EngineVersionKind kind);
  void ShowReportBox(const std::string& text);

  // ---------------------------------------------------------------------------
  // The directory reader and the routines it shares with the archive-rewriting
  // and spanning operations.
  // ---------------------------------------------------------------------------

  // List's work once it knows there is a file; raises EZipBuilder and others.
  void ReadDirectory();
  // Reads the end record's count of central headers from `directoryStart` of
  // ArchiveHandle on into DirEntries, noting every local header offset in `prefix`.
  void ReadCentralHeaders(const EndRecord& endRecord, std::int64_t directoryStart, zipformat::PrefixMeasure& prefix);
  // The next header into `stored`, from the next disk where this one ends;
  // raises what a header that cannot be read whole says.
  void ReadCentralHeader(zipformat::CentralDirectoryWalker& walker, const EndRecord& endRecord,
                         zipformat::DirectoryEntry& stored);
  // Decodes an entry's name or comment into the ANSI code page.
  [[nodiscard]] std::string EntryTextToAnsi(std::string_view stored, std::uint16_t flags) const;
  void CloseArchiveHandle();

  // Opens WorkFileName into ArchiveHandle (left open, also on failure), finds the
  // end record and sets EndRecordOffset, ArchiveEnd, ArchiveFileSize and RawComment.
  [[nodiscard]] bool LocateEndRecord(EndRecord& endRecord, EndRecordFailure failure);
  // The directory state, the garbage warning and RawComment of an end record found.
  void AcceptEndRecord(const zipformat::LocatedEndRecord& located, EndRecord& endRecord);

  // Closes ArchiveHandle and has the user supply disk `diskNumber` (0-based), or
  // picks its part file, and opens it into ArchiveHandle.
  void SelectDisk(int diskNumber);
  // Whether the disk in the drive (or the part file) is CurrentDisk; on fixed and
  // network drives it names WorkFileName after the part file and says yes.
  [[nodiscard]] bool IsExpectedDisk(platform::DriveType driveKind);

  // Refreshes DiskFreeSpace and/or DiskTotalSize of WorkDrive.
  void QueryDiskSpace(DiskSpaceFigures figures);
  // Validates WorkDrive and reads its label, serial and sizes; raises 11003 and
  // 11004 for a drive that does not exist.
  [[nodiscard]] bool CheckDrive();
  // Makes sure a usable disk is in WorkDrive, asking as often as needed (or once
  // more when ForceDiskPrompt is set); answers the drive type.
  [[nodiscard]] platform::DriveType AskForDisk();
  // The question of a disk prompt; while a set is written it also estimates LastDiskNumber.
  [[nodiscard]] std::string DiskPromptText();
  [[nodiscard]] std::string WritingDiskPromptText();
  [[nodiscard]] DialogAnswer AskUserForDisk(const std::string& question);

  // A unique name in TempDir (or the system's temporary folder) with `extension`;
  // empty when none can be made.
  [[nodiscard]] std::string NewTempFileName(std::string_view prefix, std::string_view extension);
  // Copies `count` bytes (all the rest when negative) between the current
  // positions of two files; copy_result::Success or WriteFailed.
  [[nodiscard]] std::int32_t CopyFileBytes(platform::FileHandle source, platform::FileHandle destination,
                                           std::int64_t count);
  // CopyFileBytes handing each chunk read to `writeChunk`, which answers whether
  // all of it was written.
  [[nodiscard]] std::int32_t CopyFileChunks(platform::FileHandle source, std::int64_t count,
                                            const std::function<bool(std::span<const std::uint8_t>)>& writeChunk);
  // Deletes a file, to the recycle bin under htdAllowUndo; RemoveFileMissing when
  // there is no such file, else the shell's result.
  [[nodiscard]] std::int32_t RemoveFileOrRecycle(std::string_view fileName, DeleteOpts howToDelete);
  [[nodiscard]] std::int32_t CopyExistingFile(std::string_view source, std::string_view destination);

  // The toolkit: owned when the component was built without one. Declared first
  // so that it is there for every other member and gone last.
  std::unique_ptr<Toolkit> ownedToolkit_;
  Toolkit& toolkit_;
  ComponentMode mode_ = ComponentMode::Running;
  std::string name_;
  std::intptr_t tag_ = 0;

  // Published properties; the owned lists, icon and stream are further down.
  bool verbose_ = false;
  bool trace_ = false;
  std::int32_t addCompLevel_ = 9;
  AddOptsSet addOptions_;
  ExtrOptsSet extrOptions_;
  SFXOptsSet sfxOptions_{SFXOptsEnum::SFXCheckSize};
  std::string extrBaseDir_;
  std::string zipFileName_;
  std::string password_;
  std::string sfxPath_;
  std::string dllDirectory_;
  OvrOpts sfxOverWriteMode_ = OvrOpts::OvrConfirm;
  std::string sfxCaption_ = "Self-extracting Archive";
  std::string sfxDefaultDir_;
  std::string sfxCommandLine_;
  std::string sfxMessage_;
  std::string tempDir_;
  std::int64_t keepFreeOnDisk1_ = 0;
  std::int64_t maxVolumeSize_ = 0;
  std::int32_t minFreeVolumeSize_ = 65536;
  bool confirmErase_ = true;
  bool unattended_ = false;
  CPOpts codePage_ = CPOpts::cpAUTO;
  DeleteOpts howToDelete_ = DeleteOpts::htdAllowUndo;
  std::string versionInfo_;
  AddStoreSuffixSet addStoreSuffixes_;
  std::uint32_t passwordReqCount_ = 1;
  bool useDirOnlyEntries_ = false;
  std::string rootDir_;

  // Run-time state.
  int errCode_ = 0;
  int engineErrCode_ = 0;
  std::string lastMessage_;
  int processedCount_ = 0;
  bool unzipSideBusy_ = false;
  bool zipSideBusy_ = false;
  bool cancel_ = false;
  int batchTotalSize_ = 0;
  WindowHandle ownerWindow_ = nullptr;
  EngineBinding unzipEngine_;
  EngineBinding zipEngine_;
  int lastPasswordChoice_ = 0;
  void* currentCommandRecord_ = nullptr;  // the record of the running engine command
  int busyCursorCount_ = 0;
  CursorShape savedCursor_ = CursorShape::Default;
  DirectoryState directory_;
  DriveState drive_;
  ArchiveRewriteState rewrite_;

  // Owned objects. The destructor frees ZipStream, SFXIcon and the entries in
  // that order; FSpecArgsExcl, FSpecArgs and the directory list then go with the
  // members, in the reverse of their order here.
  std::vector<std::unique_ptr<ZipDirEntry>> dirEntries_;
  StringList fSpecArgs_;
  StringList fSpecArgsExcl_;
  TIcon sfxIcon_;
  std::unique_ptr<TZipStream> zipStream_;

  // ===========================================================================
  // Engine commands: extraction, engine callbacks and password questions
  // (extraction.cpp, engine_callback.cpp, password_prompts.cpp)
  // ===========================================================================
 public:
  // Extracts the entries FSpecArgs names (every entry when it is empty) from
  // ZipFileName below ExtrBaseDir with the unzip engine. ProcessedCount is the
  // number of files extracted; FSpecArgs is empty afterwards.
  void Extract();
  // Extracts the entry `entryName` (an empty name: the first line of FSpecArgs)
  // into ZipStream. ZipStream when exactly that entry came out, else null.
  [[nodiscard]] TZipStream* ExtractEntryToMemory(std::string_view entryName);
  // Inflates the compressed bytes of `source` into ZipStream, sized `outputSize`
  // first. ZipStream when it worked, else null.
  [[nodiscard]] TZipStream* ExtractMemoryToMemory(TZipStream& source, std::int32_t outputSize);

  // Adds what the lines of FSpecArgs select to ZipFileName with the zip engine.
  // ProcessedCount is the number of files added; FSpecArgs and FSpecArgsExcl are
  // empty afterwards, and the archive is listed again when anything was added.
  void Add();
  // Adds the whole of ZipStream as one entry named `fileName` (empty: the first
  // line of FSpecArgs) with a DOS date-time (0: now) and file attributes.
  void AddFromZipStream(std::string_view fileName, std::uint32_t dosDateTime, std::uint32_t attributes);
  // Compresses `source` into ZipStream: the engine's 6-byte header, then the
  // data, positioned after the header (empty when it failed). Null when `source`
  // is ZipStream itself.
  [[nodiscard]] TZipStream* CompressStream(TZipStream& source);
  // Deletes the entries the lines of FSpecArgs select from ZipFileName.
  // ProcessedCount is the number deleted; the archive is listed again only when
  // it is above 0.
  void Delete();

  // Renames entries of ZipFileName, and dates them, by rewriting the archive
  // without an engine: every item acts on every entry whose name holds its
  // OldName; a non-zero `dateTime` goes to every entry not dated by an item. The
  // items' names are normalised in place ("/" to "\\", folder forms). Raises
  // OnProgress and one OnMessage per entry; lists the archive again on success.
  // A rewrite_result value; the archive is replaced only once the whole new one
  // is written, and after any failure it is exactly as it was.
  [[nodiscard]] int Rename(std::span<RenameItem> items, std::uint32_t dateTime);
  // Copies the entries FSpecArgs names (exact names as List gives them), as
  // they are compressed, from this archive into `destination`'s. A name both
  // hold is replaced, kept or asked for (OnCopyZipOverwrite, else a question
  // box) as `overwriteMode` says. Afterwards FSpecArgs holds the names whose
  // destination entry was kept; with DeleteCopied the copied entries are deleted
  // from this archive (Delete, with the zip engine). A destination named but not
  // made yet is made. The destination is listed again in any case. A
  // rewrite_result value.
  [[nodiscard]] int CopyZippedFiles(TZipBuilder& destination, CopySourceEntries sourceEntries, OvrOpts overwriteMode);

  // The password to encrypt with, asked twice; "" when refused, cancelled or mismatched.
  [[nodiscard]] std::string PromptAddPassword();
  // The password of an encrypted entry; "" when refused or cancelled.
  [[nodiscard]] std::string PromptExtractPassword();
  // One question through TPasswordDlg; LastPasswordChoice becomes its modal result.
  [[nodiscard]] PasswordDialogAnswer RunPasswordDialog(const std::string& caption, const std::string& prompt,
                                                       TPasswordButtonSet buttons);

 private:
  friend class EngineCallbackAnswers;
  friend class EngineOperation;
  friend class EngineRun;

  // Callback action 8: the password and repeat count for the engine; sets LastPasswordChoice.
  [[nodiscard]] PasswordDecision AnswerPasswordRequest(const PasswordRequest& request);

  // ---------------------------------------------------------------------------
  // Rewriting archives without an engine (archive_rewrite.cpp, rename.cpp,
  // copy_zipped_files.cpp). The new archive is written into OutputHandle, a safe
  // save that takes the archive's name only when ReplaceWithRewriteOutput
  // commits it.
  // ---------------------------------------------------------------------------

  // Runs `work`, reporting what it raises and abandoning the output; a rewrite_result value.
  [[nodiscard]] int RunRewrite(const std::function<void()>& work);
  // Opens OutputHandle for an archive that will replace `target`, in `tempDir`
  // when one is given, else beside the target; raises 11027.
  void OpenRewriteOutput(const std::string& target, const std::string& tempDir);
  [[nodiscard]] std::int64_t OutputPosition() const;
  // Writes to OutputHandle or raises `messageId`; raises OnProgress(pgBytesDone)
  // while ReportCopyProgress is set.
  void WriteChecked(std::span<const std::byte> bytes, int messageId);
  // Copies `count` bytes at `offset` of `source` to OutputHandle: the number
  // copied, fewer when the source ended or the output failed.
  [[nodiscard]] std::int64_t CopyToOutput(platform::FileHandle source, std::int64_t offset, std::int64_t count);
  // Copies the entry whose local header is at `position` of `archive`, local
  // header as changed, the rest as stored (data descriptor included); answers
  // where its local header went in the output.
  [[nodiscard]] std::int64_t CopyEntry(platform::FileHandle archive, std::int64_t position,
                                       const zipformat::CentralHeader& central, const LocalHeaderChange& change);
  void CopyEntryRest(platform::FileHandle archive, const zipformat::LocalEntry& local,
                     const zipformat::CentralHeader& central);
  // The central directory of `entries` and the end record with `comment`.
  void WriteDirectoryAndEnd(std::span<const NewCentralEntry> entries, std::string_view comment);
  // Dates the output with SavedFileDate and puts it in place of its target, the
  // old archive going as `howToDelete` says; raises 11010 with what was left.
  void ReplaceWithRewriteOutput(DeleteOpts howToDelete);
  // Puts the output in place as a new archive, the name being free; raises 11010.
  void PlaceNewRewriteOutput();
  // Removes an output that was not put in place.
  void AbandonRewriteOutput();

  // Rename's work once the items are normalised.
  void RenameEntries(std::span<const RenameItem> items, std::uint32_t dateTime);
  // CopyZippedFiles' work once the source is marked busy.
  void CopyEntriesInto(TZipBuilder& destination, OvrOpts overwriteMode, StringList& keptNames);
  // Whether the destination's entry `name` is to be replaced: asks through
  // OnCopyZipOverwrite, else the question box.
  [[nodiscard]] bool AnswerCopyOverwrite(TZipBuilder& destination, const std::string& name);

  // An exception left an event handler inside EngineCallback. The callback stops
  // the engine, and the operation reports the failure once the engine returned.
  bool engineCallbackFailed_ = false;
};

}  // namespace zipbuilder
