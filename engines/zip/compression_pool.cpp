#include "engines/zip/compression_pool.h"

#include <algorithm>

namespace engines::zip {

namespace {

// More workers than this only add memory: the writer cannot keep up anyway.
constexpr unsigned MostWorkers = 16;

}  // namespace

unsigned CompressionPool::DefaultWorkerCount() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, MostWorkers);
}

CompressionPool::CompressionPool(unsigned workerCount, int level) {
  for (unsigned index = 0; index < std::max(workerCount, 1u); ++index) {
    workers_.emplace_back([this, level] { Work(level); });
  }
}

CompressionPool::~CompressionPool() {
  {
    const std::lock_guard guard(lock_);
    stopping_ = true;
    queue_.clear();
  }
  pending_.notify_all();
  for (std::thread& worker : workers_) {
    worker.join();
  }
}

void CompressionPool::Submit(std::vector<CompressionJob*> batch) {
  if (batch.empty()) {
    return;
  }
  {
    const std::lock_guard guard(lock_);
    queue_.push_back(std::move(batch));
  }
  pending_.notify_one();
}

void CompressionPool::WaitFor(CompressionJob& job) {
  std::unique_lock guard(lock_);
  finished_.wait(guard, [&job] { return job.done; });
}

void CompressionPool::Work(int level) {
  WorkerCodecs codecs(level);
  for (;;) {
    std::vector<CompressionJob*> batch;
    {
      std::unique_lock guard(lock_);
      pending_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) {
        return;
      }
      batch = std::move(queue_.front());
      queue_.pop_front();
    }
    for (CompressionJob* job : batch) {
      codecs.Run(*job);
    }
    {
      const std::lock_guard guard(lock_);
      for (CompressionJob* job : batch) {
        job->done = true;
      }
    }
    finished_.notify_all();
  }
}

}  // namespace engines::zip
