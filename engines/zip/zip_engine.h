// The zip engine's one operation: run a command record. Everything a command
// needs lives on this call's stack; nothing is kept between calls.
//
// The folder, in the order a command meets it:
//   command               the record read into plain values
//   callback_channel      everything said to the caller (progress, questions)
//   add_operation         add files or one memory entry; add_planning decides what,
//                         file_selection and stored_names find the files and name them
//   compression_pipeline  reading ahead; compression_pool and compression_jobs compress
//   entry_writing         one new entry: headers, encryption, data
//   existing_archive      the archive added to or deleted from; entry_copying copies
//   delete_operation      remove entries
//   memory_compression    memory into memory
//   archive_output        the safe save; central_directory the records at the end
#pragma once

#include <cstdint>

namespace engines::zip {

inline constexpr std::int32_t EngineVersion = 160;
inline constexpr std::int32_t EnginePrivateVersion = 1600;

// `commandRecord` points at a ZipCommandRecord (the 216-byte layout). Returns the
// number of entries added or deleted (1 for a successful memory-to-memory
// compression); 0 for a record that cannot be used, after a message to its
// callback when it has one. Never throws.
[[nodiscard]] std::int32_t ExecuteCommand(void* commandRecord) noexcept;

}  // namespace engines::zip
