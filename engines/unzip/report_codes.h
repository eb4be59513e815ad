// The numbers the engine reports through the callback: the error value (value 1
// of a message, action 4, and of a skipped file, action 11) and the reason a file
// was skipped (value 2 of action 11, counted from 1). The component reads the low
// byte of a non-zero error value as its error code, and passes reason - 1 to its
// skip event.
#pragma once

#include <cstdint>

namespace engines::unzip {

enum class ErrorValue : std::int32_t {
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

enum class SkipReason : std::int32_t {
  NotOverwritten = 1,     // the file exists and the overwrite answer was no
  NotPresent = 2,         // freshen: there is no file to freshen
  ExistingNotOlder = 3,   // freshen or update: the existing file is as new or newer
  UnsafeName = 4,         // see ErrorValue::UnsafeName; a message says why
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

}  // namespace engines::unzip
