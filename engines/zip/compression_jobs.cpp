#include "engines/zip/compression_jobs.h"

#include <new>

#include "engines/shared/crc32.h"

namespace engines::zip {

void WorkerCodecs::Deflate(CompressionJob& job) {
  if (job.shape == JobShape::Piece) {
    if (!piece_) {
      piece_ = std::make_unique<shared::PieceDeflater>(level_);
    }
    job.deflated = piece_->IsReady() && piece_->Compress(job.window, job.input, job.place, job.output);
    job.outOfMemory = !job.deflated;
    job.window = {};
    job.input = {};
    return;
  }
  // Two bytes or fewer never deflate smaller.
  if (job.input.size() < 3) {
    return;
  }
  if (!whole_) {
    whole_ = std::make_unique<shared::WholeBufferDeflater>(level_);
  }
  if (!whole_->IsReady()) {
    job.outOfMemory = true;
    return;
  }
  // One byte less than the input: a result that does not fit is not worth having.
  job.output.resize(job.input.size() - 1);
  const std::size_t produced = whole_->Compress(job.input, job.output);
  if (produced == 0) {
    job.output = {};
    return;
  }
  job.output.resize(produced);
  job.deflated = true;
  job.input = {};
}

void WorkerCodecs::Run(CompressionJob& job) {
  if (job.readStatus != ReadStatus::Complete) {
    return;
  }
  try {
    job.crc32 = shared::UpdateCrc32(0, job.input);
    if (job.coding == Coding::Deflate) {
      Deflate(job);
    }
  } catch (const std::bad_alloc&) {
    job.outOfMemory = true;
    job.output = {};
  }
}

}  // namespace engines::zip
