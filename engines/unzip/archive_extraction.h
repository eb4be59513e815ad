// Extracting (or testing) the selected entries of an archive file, to disk or,
// for one entry, to the caller's memory.
//
// Callbacks, in order: file count (5) and total size (6) of the selected files;
// then for each file: new file (1) with its size, its comment (12) when it has
// one, the overwrite question (10), password requests (8), bytes done (2, the
// bytes decoded since the previous report), a CRC mismatch (9), and when the file
// is not extracted, a message (4) saying why (deliberate skips have none) and the
// skip (11); finally the end of the batch (3). A callback that answers 1 stops the
// command then and there: no further callback, no partial file.
//
// Folder entries are not files: with folder names recreated they become folders,
// otherwise they are passed over; neither counts. For memory output, only the
// first selected file is decoded.
#pragma once

#include <cstdint>

#include "engines/unzip/callback_channel.h"
#include "engines/unzip/command.h"

namespace engines::unzip {

// The number of files extracted, or tested without fault.
[[nodiscard]] std::int32_t ExtractFromArchive(const UnzipCommand& command, CallbackChannel& channel);

}  // namespace engines::unzip
