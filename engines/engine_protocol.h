// What the numbers in a callback record mean: the callback's result, the flags
// an engine sends with a question and the answers the component writes back,
// the reasons a file was skipped and the error values of both engines.
//
// engine_records.h fixes where the fields are; this file fixes what goes into
// them. The two engine libraries and the component are built separately, so
// every number here is part of the interface and never changes: a value that
// goes out of use stays reserved.
//
// Divisions of this file:
//   1. the callback's result
//   2. error values (messages, action 4, and skipped files, action 11)
//   3. skipped files (action 11)
//   4. questions and their answers, by action: 7, 8, 9, 10, 12, 13
#pragma once

#include <cstdint>

#include "engines/engine_records.h"

namespace engines {

// ---------------------------------------------------------------------------
// 1. The callback's result
// ---------------------------------------------------------------------------

// What the component's callback returns after every action. An engine that gets
// Stop ends its command at once and calls no more.
namespace callback_result {
inline constexpr std::int32_t Continue = 0;
inline constexpr std::int32_t Stop = 1;
}  // namespace callback_result

// ---------------------------------------------------------------------------
// 2. Error values
// ---------------------------------------------------------------------------

// Value 1 of a message (action 4) and of a skipped file (action 11). 0 marks an
// informational message or a deliberate skip. An engine may put details above
// the low byte; the component keeps the whole value as EngineErrCode and reads
// the low byte, as a signed number, as its ErrCode.
[[nodiscard]] constexpr int ErrorCodeOfErrorValue(std::int32_t value) {
  return static_cast<std::int8_t>(static_cast<std::uint8_t>(value & 0xFF));
}

// The unzip engine's error values.
enum class UnzipErrorValue : std::int32_t {
  None = 0,               // a deliberate skip or an informational message
  Unsupported = 1,        // method, encryption or archive feature the engine does not read
  FormatError = 2,        // damaged archive: headers, compressed data, sizes
  CrcError = 3,           // the data decoded, but its CRC-32 differs from the stored one
  OutOfMemory = 4,
  PasswordError = 5,      // no password, or none of those given fits
  UnsafeName = 6,         // the name would leave the base folder, or is no valid file name
  WriteError = 7,         // creating, writing or moving the output failed
  ArchiveUnreadable = 8,  // the archive cannot be opened or read
  BadCommand = 9,         // the command record cannot be used
  NothingMatched = 10,    // a file specification selected no entry
};

// The zip engine's error values; it sends them with messages only.
enum class ZipErrorValue : std::int32_t {
  None = 0,                // informational
  BadCommand = 1,          // the command record cannot be used
  ArchiveUnreadable = 2,   // the existing archive cannot be opened, or is no zip archive
  ArchiveUnsupported = 3,  // the existing archive is spanned or needs Zip64
  NothingMatched = 4,      // no file, or no entry, answered the specifications
  SourceUnreadable = 5,    // a file to add cannot be opened or read; it is left out
  NameRefused = 6,         // a name no reader could extract safely; the file is left out
  TooLarge = 7,            // a file of 4 GiB or more, or an archive beyond the 32-bit limits
  PasswordMissing = 8,     // encryption was asked for and no password was given
  WriteError = 9,          // the new archive could not be written or put in place
  OutOfMemory = 10,
  OutputTooSmall = 11,     // memory output: the buffer cannot hold the result
  SourceNotRemoved = 12,   // move: a source file could not be deleted after the archive was written
};

// ---------------------------------------------------------------------------
// 3. Skipped files (action 11, sent by the unzip engine)
// ---------------------------------------------------------------------------

// Value 2: why the file was not extracted, counted from 1; value 1 is the error
// value that goes with it. The component hands its skip event the reason minus
// one and passes reasons it does not know through unchanged.
enum class UnzipSkipReason : std::int32_t {
  NotOverwritten = 1,     // the file exists and the overwrite answer was no
  NotPresent = 2,         // freshen: there is no file to freshen
  ExistingNotOlder = 3,   // freshen or update: the existing file is as new or newer
  UnsafeName = 4,         // see UnzipErrorValue::UnsafeName; a message says why
  UnsupportedMethod = 5,  // a compression method other than stored (0) and deflated (8)
  UnsupportedFeature = 6, // strong encryption, patch data, Zip64 sizes, another disk
  PasswordMissing = 7,    // encrypted, and no password was given
  PasswordWrong = 8,      // encrypted, and every password given failed the check
  CrcError = 9,           // CRC mismatch, and the caller did not ask to keep the file
  DataError = 10,         // corrupt compressed data or sizes that do not add up
  WriteFailed = 11,       // the output could not be created, written or moved into place
  LinkOutsideBase = 12,   // an existing folder on the way is a link that leads out of the base
  NoOutputMemory = 13,    // the caller gave no memory for the output
};

// ---------------------------------------------------------------------------
// 4. Questions and answers
// ---------------------------------------------------------------------------

// Action 7, sent by the zip engine: the text area holds the name a file is about
// to be stored under. The component answers Changed in value 1 with the new name
// in the text area; anything else keeps the name.
namespace new_name {
inline constexpr std::int32_t Changed = 1;
inline constexpr std::int32_t Unchanged = 0;
}  // namespace new_name

// Action 8, sent by both engines: the text area holds the file's name, value 2
// the number of requests the engine still allows for it.
namespace password_request {
// Value 1 of the request: set when the password is for files about to be
// encrypted, so the component asks for it twice and compares; clear when it is
// to open an encrypted entry.
inline constexpr std::int32_t NewPasswordBit = 1;
// Value 1 of the answer: Given with the password in the text area, or NotGiven.
inline constexpr std::int32_t Given = 1;
inline constexpr std::int32_t NotGiven = 0;
// Value 2 of the answer: how often the engine may ask again, at most this.
inline constexpr std::uint32_t HighestRepeatCount = 15;
// An answer that sets the record's action to EngineAction::None means "cancel
// all": the engine asks no more during this command.
}  // namespace password_request

// Action 9, sent by the unzip engine: value 1 holds the CRC-32 found, value 2 the
// one stored. Value 1 of the answer decides the file's fate; only Keep keeps it.
namespace crc_error {
inline constexpr std::int32_t Drop = 0;
inline constexpr std::int32_t Keep = 1;
// The component had no handler to ask, so nobody decided.
inline constexpr std::int32_t NobodyAsked = 2;
}  // namespace crc_error

// Action 10, sent by the unzip engine before it replaces an existing file.
namespace overwrite_question {
// Value 1: set when the existing file is older than the entry.
inline constexpr std::uint32_t OlderFileBit = 1u << 16;
// Value 1: the entry's index in the central directory (its low 16 bits).
inline constexpr std::uint32_t DirectoryIndexMask = 0xFFFF;
// Value 2 goes out as the engine's default answer and comes back as the
// component's: Replace or Keep. Without a handler the default stands.
inline constexpr std::int32_t Replace = 1;
inline constexpr std::int32_t Keep = 0;
}  // namespace overwrite_question

// Action 12, sent by both engines: the file's name at the start of the text
// area, its comment EngineCallbackCommentOffset bytes into it, and the comment's
// length in value 2. The component answers Changed in value 1 with the new
// comment at the start of the text area and its length in value 2.
namespace file_comment {
inline constexpr std::int32_t Changed = 1;
inline constexpr std::int32_t Unchanged = 0;
}  // namespace file_comment

// Action 13, sent by the unzip engine before it decodes into memory: value 2
// holds the size wanted. The component answers the memory's address in value 2,
// or NotAvailable in value 1 and 0 in value 2. An engine that finds value 2
// unchanged takes the buffer of its command record.
namespace output_memory_request {
inline constexpr std::int32_t NotAvailable = 1;
}  // namespace output_memory_request

}  // namespace engines
