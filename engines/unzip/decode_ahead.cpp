#include "engines/unzip/decode_ahead.h"

#include <cstring>
#include <utility>

#include "engines/shared/zip_format.h"

namespace engines::unzip {

namespace zf = shared::zip_format;

namespace {

constexpr std::uint16_t FlagsNeedingTheCaller =
    zf::general_flag::Encrypted | zf::general_flag::StrongEncryption | zf::general_flag::PatchedData;

// One entry's bytes in a block of exactly its size; the whole-entry decoder
// inflates straight into it.
class BlockSink final : public OutputSink {
 public:
  explicit BlockSink(std::size_t size) : bytes_(std::make_unique_for_overwrite<std::byte[]>(size)), size_(size) {}

  [[nodiscard]] bool Write(std::span<const std::byte> bytes) override {
    if (bytes.size() > size_ - filled_) {
      return false;
    }
    if (!bytes.empty()) {
      std::memcpy(bytes_.get() + filled_, bytes.data(), bytes.size());
    }
    filled_ += bytes.size();
    return true;
  }

  [[nodiscard]] std::span<std::byte> DirectBuffer(std::uint32_t size) override {
    if (filled_ != 0 || size != size_) {
      return {};
    }
    return {bytes_.get(), size_};
  }

  [[nodiscard]] std::unique_ptr<std::byte[]> Release() { return std::move(bytes_); }

 private:
  std::unique_ptr<std::byte[]> bytes_;
  std::size_t size_;
  std::size_t filled_ = 0;
};

}  // namespace

bool SuitsDecodingAhead(const ArchiveEntry& entry) {
  const zf::CentralHeader& header = entry.header;
  const bool knownMethod =
      header.method == zf::compression_method::Stored || header.method == zf::compression_method::Deflated;
  return knownMethod && (header.flags & FlagsNeedingTheCaller) == 0 && header.diskStart == 0 &&
         header.uncompressedSize <= AheadEntryLimit && header.compressedSize <= AheadEntryLimit;
}

DecodeAhead::DecodeAhead(const std::string& archivePath, const CentralDirectory& directory,
                         std::vector<const ArchiveEntry*> entries)
    : directory_(directory), entries_(std::move(entries)), positionOf_(directory.entries.size(), NotAhead) {
  for (std::size_t position = 0; position < entries_.size(); ++position) {
    positionOf_[entries_[position]->index] = position;
  }
  worker_ = std::thread([this, archivePath] { Work(archivePath); });
}

DecodeAhead::~DecodeAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

std::optional<DecodedEntry> DecodeAhead::Take(const ArchiveEntry& entry) {
  if (entry.index >= positionOf_.size() || positionOf_[entry.index] == NotAhead) {
    return std::nullopt;
  }
  const std::size_t position = positionOf_[entry.index];
  std::unique_lock lock(mutex_);
  if (position < taken_) {
    return std::nullopt;
  }
  taken_ = position;
  for (;;) {
    while (!ready_.empty() && ready_.front().position < position) {
      readyBytes_ -= ready_.front().decoded.size;
      ready_.pop_front();
      changed_.notify_all();
    }
    if (!ready_.empty() && ready_.front().position != position) {
      return std::nullopt;
    }
    if (!ready_.empty()) {
      Ready front = std::move(ready_.front());
      ready_.pop_front();
      readyBytes_ -= front.decoded.size;
      taken_ = position + 1;
      changed_.notify_all();
      return std::move(front.decoded);
    }
    if (finished_) {
      return std::nullopt;
    }
    changed_.wait(lock);
  }
}

void DecodeAhead::Work(const std::string& archivePath) {
  const std::optional<ArchiveFile> archive = ArchiveFile::Open(archivePath);
  DecodeWorkspace workspace;
  for (std::size_t position = 0; archive && position < entries_.size(); ++position) {
    const ArchiveEntry& entry = *entries_[position];
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || readyBytes_ + entry.header.uncompressedSize <= AheadBudget; });
      if (stopping_) {
        break;
      }
      if (position < taken_) {
        continue;
      }
    }
    Ready ready{position, Decode(*archive, workspace, entry)};
    {
      const std::lock_guard lock(mutex_);
      readyBytes_ += ready.decoded.size;
      ready_.push_back(std::move(ready));
    }
    changed_.notify_all();
  }
  {
    const std::lock_guard lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

DecodedEntry DecodeAhead::Decode(const ArchiveFile& archive, DecodeWorkspace& workspace,
                                 const ArchiveEntry& entry) const {
  DecodedEntry decoded;
  decoded.result.outcome = DecodeOutcome::ReadError;
  // Whatever goes wrong here, the extraction decodes the entry itself and reports
  // it as it would have: nothing may leave the worker thread.
  try {
    const std::optional<EntryData> data = LocateEntryData(archive, directory_, entry);
    if (!data) {
      return decoded;
    }
    const zf::CentralHeader& header = entry.header;
    ArchiveBytesSource source(archive, data->offset, header.compressedSize);
    std::optional<shared::TraditionalCipher> noCipher;
    BlockSink sink(header.uncompressedSize);
    const EntryShape shape{header.method, header.compressedSize, header.uncompressedSize, header.crc32};
    const ProgressReport noProgress = [](std::uint32_t) { return Flow::Continue; };
    decoded.result = DecodeEntry(shape, source, noCipher, sink, noProgress, workspace);
    decoded.bytes = sink.Release();
    decoded.size = header.uncompressedSize;
  } catch (...) {
    decoded = DecodedEntry{};
    decoded.result.outcome = DecodeOutcome::OutOfMemory;
  }
  return decoded;
}

}  // namespace engines::unzip
