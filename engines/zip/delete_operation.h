// Removing the entries the specifications select from an archive. Everything
// else is copied as it is, self-extractor stub included; the result replaces the
// archive only once it is complete.
#pragma once

#include <cstdint>

#include "engines/zip/callback_channel.h"
#include "engines/zip/command.h"

namespace engines::zip {

// The number of entries removed; 0 leaves the archive untouched.
[[nodiscard]] std::int32_t DeleteFromArchive(const ZipCommand& command, CallbackChannel& channel);

// Whether a delete specification selects the entry `name`: wildcards as the
// shared matcher has them, and a folder entry ("docs/") also by its bare name.
[[nodiscard]] bool SelectsEntry(std::string_view specification, std::string_view name);

}  // namespace engines::zip
