// The zip format core reads the component's archive files through this: a seek
// to the offset, then one read.
#pragma once

#include "platform/files.h"
#include "zipformat/read_at.h"

namespace zipbuilder {

// Reads `file`, which stays the caller's to close. A failing seek is an
// unreachable offset; a refused read counts as a read of 0 bytes, the end of
// the data, which is what every caller reports a short read as.
[[nodiscard]] zipformat::ReadAtFunction ReadAtOf(platform::FileHandle file);

}  // namespace zipbuilder
