// The error values the zip engine reports as value 1 of a message (action 4).
// The component reads the low byte of a non-zero value as its error code.
#pragma once

#include <cstdint>

namespace engines::zip {

enum class ErrorValue : std::int32_t {
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

}  // namespace engines::zip
