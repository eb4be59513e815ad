// Writing one new entry: its local header, the encryption header and the
// (encrypted) data as the pipeline hands it over, and its central record. Runs on
// the calling thread, which also sends the entry's callbacks.
#pragma once

#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "engines/shared/traditional_encryption.h"
#include "engines/zip/archive_output.h"
#include "engines/zip/callback_channel.h"
#include "engines/zip/central_directory.h"
#include "engines/zip/compression_pipeline.h"
#include "engines/zip/planned_entry.h"

namespace engines::zip {

enum class EntryOutcome { Written, Skipped, Stopped, Failed };

class EntryWriter {
 public:
  EntryWriter(ArchiveOutput& output, CallbackChannel& channel, CompressionPipeline& pipeline);

  // Writes `entry` (its comment already asked for) and appends its central record.
  [[nodiscard]] EntryOutcome Write(const PlannedEntry& entry, std::vector<CentralEntry>& directory);

 private:
  [[nodiscard]] EntryOutcome WriteWithoutData(const PlannedEntry& entry, std::vector<CentralEntry>& directory);
  [[nodiscard]] EntryOutcome WriteWhole(const PlannedEntry& entry, CompressionJob& job,
                                        std::vector<CentralEntry>& directory);
  [[nodiscard]] EntryOutcome WritePieces(const PlannedEntry& entry, std::unique_ptr<CompressionJob> first,
                                         std::vector<CentralEntry>& directory);
  [[nodiscard]] EntryOutcome RewriteStored(const PlannedEntry& entry, std::uint32_t crc32,
                                           std::vector<CentralEntry>& directory);
  [[nodiscard]] EntryOutcome Skip(const PlannedEntry& entry, std::int64_t entryStart, ZipErrorValue error,
                                  std::string_view why);
  void DrainSource(std::unique_ptr<CompressionJob> job);
  void WriteData(std::optional<shared::TraditionalCipher>& cipher, std::span<std::byte> data);
  [[nodiscard]] std::optional<shared::TraditionalCipher> StartEncryption(const PlannedEntry& entry,
                                                                         std::uint8_t checkByte);

  ArchiveOutput& output_;
  CallbackChannel& channel_;
  CompressionPipeline& pipeline_;
  std::mt19937 random_;
};

}  // namespace engines::zip
