#include "engines/zip/compression_pipeline.h"

#include <algorithm>

namespace engines::zip {

namespace {

// Input bytes read ahead of the writer; their compressed forms come on top, so
// the pipeline holds at most about twice this.
constexpr std::uint64_t MostBytesInFlight = 16u << 20;
// Many tiny files cost bookkeeping rather than bytes.
constexpr std::size_t MostJobsInFlight = 512;
// Small files go to the workers together, up to this many input bytes: enough
// to make the hand-offs rare, little enough that the writer seldom waits for a
// batch to fill.
constexpr std::uint64_t BatchBytes = 64u << 10;
constexpr std::size_t MostJobsPerBatch = 64;

}  // namespace

CompressionPipeline::CompressionPipeline(std::vector<DataSource> sources, int level, unsigned workerCount)
    : sources_(std::move(sources)), pool_(workerCount, level) {}

CompressionPipeline::~CompressionPipeline() {
  CloseFile();
}

void CompressionPipeline::CloseFile() {
  if (file_ != platform::InvalidFileHandle) {
    platform::CloseHandle(file_);
    file_ = platform::InvalidFileHandle;
  }
}

bool CompressionPipeline::ReadBytes(std::span<std::byte> into) {
  const DataSource& source = sources_[sourceIndex_];
  if (source.diskPath.empty()) {
    const auto start = static_cast<std::size_t>(sourceOffset_);
    if (start + into.size() > source.memory.size()) {
      return false;
    }
    std::copy_n(source.memory.begin() + static_cast<std::ptrdiff_t>(start), into.size(), into.begin());
    return true;
  }
  std::uint32_t read = 0;
  return platform::ReadFile(file_, into.data(), static_cast<std::uint32_t>(into.size()), read) && read == into.size();
}

// Reads the next job of the current source, moving to the next source when the
// current one is done.
std::unique_ptr<CompressionJob> CompressionPipeline::ReadNextJob() {
  if (sourceIndex_ >= sources_.size()) {
    return nullptr;
  }
  const DataSource& source = sources_[sourceIndex_];
  auto job = std::make_unique<CompressionJob>();
  job->coding = source.coding;
  job->shape = source.size > WholeFileLimit ? JobShape::Piece : JobShape::Whole;
  if (!sourceOpen_) {
    sourceOpen_ = true;
    sourceOffset_ = 0;
    lastWindow_.clear();
    if (!source.diskPath.empty()) {
      file_ = platform::CreateFile(source.diskPath, platform::FileAccess::Read, platform::FileShare::Read,
                                   platform::FileCreation::OpenExisting);
      if (file_ == platform::InvalidFileHandle) {
        job->readStatus = ReadStatus::OpenFailed;
      }
    }
  }
  if (job->readStatus == ReadStatus::Complete) {
    const std::uint64_t length = job->shape == JobShape::Whole ? source.size
                                                               : std::min(PieceSize, source.size - sourceOffset_);
    job->input.resize(static_cast<std::size_t>(length));
    if (!ReadBytes(job->input)) {
      job->readStatus = ReadStatus::ReadFailed;
      job->input = {};
    }
    sourceOffset_ += length;
  }
  const bool sourceDone = job->readStatus != ReadStatus::Complete || sourceOffset_ >= source.size;
  job->place = sourceDone ? shared::PiecePlace::Last : shared::PiecePlace::Inner;
  job->inputSize = job->input.size();
  if (job->shape == JobShape::Piece && job->readStatus == ReadStatus::Complete) {
    job->window = std::move(lastWindow_);
    const std::size_t kept = std::min(job->input.size(), shared::DeflateWindowSize);
    lastWindow_.assign(job->input.end() - static_cast<std::ptrdiff_t>(kept), job->input.end());
  }
  if (sourceDone) {
    CloseFile();
    sourceOpen_ = false;
    ++sourceIndex_;
  }
  return job;
}

bool CompressionPipeline::ReadAhead() {
  std::unique_ptr<CompressionJob> job = ReadNextJob();
  if (!job) {
    return false;
  }
  bytesInFlight_ += job->inputSize;
  CompressionJob& submitted = *job;
  inFlight_.push_back(std::move(job));
  if (submitted.readStatus == ReadStatus::Complete) {
    Batch(submitted);
  } else {
    submitted.done = true;
  }
  return true;
}

void CompressionPipeline::Batch(CompressionJob& job) {
  batch_.push_back(&job);
  batchBytes_ += job.inputSize;
  if (job.shape == JobShape::Piece || batchBytes_ >= BatchBytes || batch_.size() >= MostJobsPerBatch) {
    SubmitBatch();
  }
}

void CompressionPipeline::SubmitBatch() {
  pool_.Submit(std::move(batch_));
  batch_ = {};
  batchBytes_ = 0;
}

std::unique_ptr<CompressionJob> CompressionPipeline::Next() {
  if (inFlight_.empty() && !ReadAhead()) {
    return nullptr;
  }
  while (bytesInFlight_ < MostBytesInFlight && inFlight_.size() < MostJobsInFlight && ReadAhead()) {
  }
  std::unique_ptr<CompressionJob> job = std::move(inFlight_.front());
  inFlight_.pop_front();
  if (!batch_.empty() && batch_.front() == job.get()) {
    SubmitBatch();
  }
  if (job->readStatus == ReadStatus::Complete) {
    pool_.WaitFor(*job);
  }
  bytesInFlight_ -= job->inputSize;
  return job;
}

}  // namespace engines::zip
