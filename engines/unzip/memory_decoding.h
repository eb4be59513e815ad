// Decoding a compressed memory block into the caller's memory: the input is in the
// format of engines/shared/memory_stream_header.h (method, CRC-32, then the data),
// the output block has the exact uncompressed size.
//
// Callbacks: file count 1 (5), total size (6), new file (1) with an empty name
// and the output size, the buffer request (13), bytes done (2), a CRC mismatch
// (9), a message (4) when it fails, end of batch (3).
#pragma once

#include <cstdint>

#include "engines/unzip/callback_channel.h"
#include "engines/unzip/command.h"

namespace engines::unzip {

// 1 when the output block holds the decoded data, else 0.
[[nodiscard]] std::int32_t DecodeMemoryInput(const UnzipCommand& command, CallbackChannel& channel);

}  // namespace engines::unzip
