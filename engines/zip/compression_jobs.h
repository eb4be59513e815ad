// One unit of compression work and how a worker does it. A file small enough to
// hold in memory is one whole job; a larger one is cut into pieces that are
// compressed independently and joined into one deflate stream (see
// engines/shared/piece_deflate.h). No I/O here: jobs carry their bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engines/shared/piece_deflate.h"
#include "engines/shared/whole_deflate.h"

namespace engines::zip {

enum class JobShape { Whole, Piece };
enum class Coding { Store, Deflate };
enum class ReadStatus { Complete, OpenFailed, ReadFailed };

struct CompressionJob {
  // Set by whoever reads the data.
  JobShape shape = JobShape::Whole;
  Coding coding = Coding::Deflate;
  shared::PiecePlace place = shared::PiecePlace::Last;
  ReadStatus readStatus = ReadStatus::Complete;
  std::vector<std::byte> window;  // pieces: the input just before this one
  std::vector<std::byte> input;

  // Set by the worker.
  std::uint32_t crc32 = 0;
  bool deflated = false;           // else the data is `input`, stored as it is
  std::vector<std::byte> output;   // the deflated data
  bool outOfMemory = false;
  bool done = false;               // guarded by the pool's lock
  std::size_t inputSize = 0;       // kept when the worker releases the input
};

// The codecs of one worker, made when first needed.
class WorkerCodecs {
 public:
  explicit WorkerCodecs(int level) : level_(level) {}
  void Run(CompressionJob& job);

 private:
  void Deflate(CompressionJob& job);
  int level_;
  std::unique_ptr<shared::WholeBufferDeflater> whole_;
  std::unique_ptr<shared::PieceDeflater> piece_;
};

}  // namespace engines::zip
