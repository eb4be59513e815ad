// Decoding entries ahead of the extraction on a worker thread, so that inflating
// one entry overlaps writing the entries before it to disk.
//
// The worker takes only entries that need nothing from the caller: deflated or
// stored, not encrypted, both sizes within AheadEntryLimit. It decodes them in
// archive-directory order through its own handle on the archive, never holding
// more than AheadBudget of decoded bytes that are not taken yet. Everything
// the caller sees (callbacks, decisions, the files) stays on the calling thread:
// Take hands over an entry's bytes and outcome when the extraction reaches it.
// Entries passed over without Take are dropped when a later one is taken.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "engines/unzip/archive_reader.h"
#include "engines/unzip/entry_decoder.h"

namespace engines::unzip {

inline constexpr std::uint32_t AheadEntryLimit = 4u * 1024 * 1024;
inline constexpr std::size_t AheadBudget = 8u * 1024 * 1024;

// One entry decoded ahead: its bytes, and the outcome the decoder gave them.
// The bytes are all of the entry when the outcome is Complete or CrcMismatch.
struct DecodedEntry {
  DecodeResult result;
  std::unique_ptr<std::byte[]> bytes;
  std::size_t size = 0;

  [[nodiscard]] std::span<const std::byte> Bytes() const { return {bytes.get(), size}; }
};

// True for entries the worker would take.
[[nodiscard]] bool SuitsDecodingAhead(const ArchiveEntry& entry);

class DecodeAhead {
 public:
  // Starts the worker on `entries`, which all suit decoding ahead, in the order the
  // extraction will reach them. `directory` must outlive this object.
  DecodeAhead(const std::string& archivePath, const CentralDirectory& directory,
              std::vector<const ArchiveEntry*> entries);
  // Stops the worker and waits for it.
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // The entry's decoded bytes, waiting for the worker if need be; nothing when the
  // entry is not one of the worker's.
  [[nodiscard]] std::optional<DecodedEntry> Take(const ArchiveEntry& entry);

 private:
  void Work(const std::string& archivePath);
  [[nodiscard]] DecodedEntry Decode(const ArchiveFile& archive, DecodeWorkspace& workspace,
                                    const ArchiveEntry& entry) const;

  static constexpr std::size_t NotAhead = std::numeric_limits<std::size_t>::max();

  struct Ready {
    std::size_t position = 0;  // in entries_
    DecodedEntry decoded;
  };

  const CentralDirectory& directory_;
  const std::vector<const ArchiveEntry*> entries_;
  std::vector<std::size_t> positionOf_;  // by entry index: the position in entries_, or NotAhead
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Ready> ready_;  // in order of position
  std::size_t readyBytes_ = 0;
  std::size_t taken_ = 0;  // positions before this are handed over or passed over
  bool finished_ = false;  // the worker decoded all it will
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace engines::unzip
