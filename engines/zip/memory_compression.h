// Compressing the caller's memory into the caller's memory, in the form the
// unzip engine takes as memory input (engines/shared/memory_stream_header.h): the
// 6-byte header (method, CRC-32), then raw deflate data or the bytes as they are
// when deflating would not make them smaller.
#pragma once

#include <cstdint>

#include "engines/zip/callback_channel.h"
#include "engines/zip/command.h"

namespace engines::zip {

// 1 on success, with the number of bytes produced in `produced`; 0 otherwise.
[[nodiscard]] std::int32_t CompressMemory(const ZipCommand& command, CallbackChannel& channel,
                                          std::uint32_t& produced);

}  // namespace engines::zip
