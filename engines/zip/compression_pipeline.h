// Reading the data of the new entries ahead of the writer and compressing it on
// the pool. The calling thread reads (files or the caller's memory) and writes;
// the workers only compress. Read-ahead is bounded by bytes in flight, so memory
// stays bounded whatever the file sizes: a file larger than WholeFileLimit is
// read and compressed in pieces.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engines/zip/compression_jobs.h"
#include "engines/zip/compression_pool.h"
#include "platform/files.h"

namespace engines::zip {

inline constexpr std::uint64_t WholeFileLimit = 8u << 20;
inline constexpr std::uint64_t PieceSize = 1u << 20;

// Where one entry's data comes from.
struct DataSource {
  std::string diskPath;                  // a file, or
  std::span<const std::byte> memory;     // the caller's memory when diskPath is empty
  std::uint64_t size = 0;
  Coding coding = Coding::Deflate;
};

class CompressionPipeline {
 public:
  CompressionPipeline(std::vector<DataSource> sources, int level, unsigned workerCount);
  ~CompressionPipeline();
  CompressionPipeline(const CompressionPipeline&) = delete;
  CompressionPipeline& operator=(const CompressionPipeline&) = delete;

  // The next job in source order, compressed; a source's jobs end with one whose
  // place is Last or whose read failed. Nothing when every source is done.
  [[nodiscard]] std::unique_ptr<CompressionJob> Next();

 private:
  [[nodiscard]] bool ReadAhead();
  [[nodiscard]] std::unique_ptr<CompressionJob> ReadNextJob();
  void CloseFile();
  [[nodiscard]] bool ReadBytes(std::span<std::byte> into);
  void Batch(CompressionJob& job);
  void SubmitBatch();

  std::vector<DataSource> sources_;
  std::size_t sourceIndex_ = 0;
  std::uint64_t sourceOffset_ = 0;
  bool sourceOpen_ = false;
  platform::FileHandle file_ = platform::InvalidFileHandle;
  std::vector<std::byte> lastWindow_;

  std::uint64_t bytesInFlight_ = 0;
  // Jobs read but not yet handed to the pool, in source order.
  std::vector<CompressionJob*> batch_;
  std::uint64_t batchBytes_ = 0;
  // Declared before the pool, so that the pool (and its workers) go first.
  std::deque<std::unique_ptr<CompressionJob>> inFlight_;
  CompressionPool pool_;
};

}  // namespace engines::zip
