// The one seam through which every platform WriteFile passes, so that tests can
// make the Nth write fail and check that nothing was lost.
#pragma once

#include <cstdint>

#include "platform/errors.h"

namespace platform::write_faults {

// The next `successfulWrites` writes succeed; every write after them fails with
// `error` (nothing written) until Clear() is called.
void FailAfter(std::uint32_t successfulWrites, Win32Error error = win32_error::DiskFull);
void Clear();

// Called by the backends' WriteFile: true when this write must fail; sets the last error.
[[nodiscard]] bool ShouldFailThisWrite();

}  // namespace platform::write_faults
