// A small pool of worker threads, each with its own compressors. The calling
// thread submits jobs in batches and waits for them one at a time in its own
// order, so callbacks and output stay on the calling thread and in order while
// the workers compress what comes next. A batch of many small files costs one
// hand-off to a worker and one back instead of two per file.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "engines/zip/compression_jobs.h"

namespace engines::zip {

class CompressionPool {
 public:
  CompressionPool(unsigned workerCount, int level);
  ~CompressionPool();
  CompressionPool(const CompressionPool&) = delete;
  CompressionPool& operator=(const CompressionPool&) = delete;

  // The jobs must outlive the pool or be waited for.
  void Submit(std::vector<CompressionJob*> batch);
  void WaitFor(CompressionJob& job);

  // The number of workers for this machine: one per core, at least one.
  [[nodiscard]] static unsigned DefaultWorkerCount();

 private:
  void Work(int level);

  std::mutex lock_;
  std::condition_variable pending_;
  std::condition_variable finished_;
  std::deque<std::vector<CompressionJob*>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace engines::zip
