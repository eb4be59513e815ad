// The fault table every file operation of both backends passes, so that tests can
// make the Nth create, write, flush, close, truncation, move, deletion, recycling,
// hard link or date of a run fail and check that nothing was lost.
//
// A failing call does nothing and reports the planned Win32 error, with one
// exception: a failing Close still closes the handle, as a real close that reports
// a write-back error does, so that no test leaks handles or keeps files locked.
// Opening a file for reading only is no Create and is not counted.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/errors.h"

namespace platform::file_faults {

enum class Operation : std::uint8_t {
  Create,    // CreateFile that may write or create
  Write,     // WriteFile
  Flush,     // FlushFileBuffers, FlushDirectory
  Close,     // CloseHandle
  SetEnd,    // SetEndOfFile
  Move,      // MoveFile
  Delete,    // DeleteFile, ShellDeleteFile for good
  Recycle,   // ShellDeleteFile to the recycle bin
  HardLink,  // CreateHardLink
  SetDate,   // SetFileDosDateTime
};

inline constexpr std::array AllOperations = {
    Operation::Create, Operation::Write,   Operation::Flush,    Operation::Close,  Operation::SetEnd,
    Operation::Move,   Operation::Delete,  Operation::Recycle,  Operation::HardLink, Operation::SetDate,
};

[[nodiscard]] std::string_view NameOf(Operation operation);

enum class Persistence : std::uint8_t {
  Once,        // only the planned call fails
  FromThenOn,  // the planned call and every later one fail, as on a full disk
};

// Counting from now, the `callNumber`th call of `operation` (1 for the next one)
// fails with `error`; with FromThenOn every later call as well, until Clear. A new
// plan for the same operation replaces the old one; plans of other operations stay.
void Fail(Operation operation, std::uint32_t callNumber, Persistence persistence,
          Win32Error error = win32_error::DiskFull);
// Forgets every plan.
void Clear();
// Whether the plan of `operation` has made a call fail since it was made.
[[nodiscard]] bool Fired(Operation operation);

// Called by the backends before they act: true when this call must fail, with the
// last error set to the planned one.
[[nodiscard]] bool ShouldFail(Operation operation);

}  // namespace platform::file_faults
