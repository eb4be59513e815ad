// Adding files, or one entry from the caller's memory, to an archive: the old
// archive's entries are copied as they are (self-extractor stub included), the
// new ones are compressed in parallel and written in order, and the result
// replaces the old archive only once it is complete. Moved source files are
// removed only after that.
#pragma once

#include <cstdint>

#include "engines/zip/callback_channel.h"
#include "engines/zip/command.h"

namespace engines::zip {

// The number of entries added; 0 when nothing was added (the old archive is then
// untouched).
[[nodiscard]] std::int32_t AddToArchive(const ZipCommand& command, CallbackChannel& channel);

}  // namespace engines::zip
