#include "archive/ParallelDeflater.h"

#include <algorithm>

namespace archive {

namespace {
// Enough pieces queued that no worker waits for the reader or the writer.
constexpr size_t kPiecesPerThread = 2;
// More threads than this gain nothing on Deflate and only cost memory.
constexpr unsigned kMaxThreads = 32;
}  // namespace

unsigned TParallelDeflater::ThreadsFor(unsigned requested) {
  const unsigned n = requested ? requested : std::thread::hardware_concurrency();
  return std::clamp(n, 1u, kMaxThreads);
}

TParallelDeflater::TParallelDeflater(unsigned threads) {
  const unsigned n = ThreadsFor(threads);
  capacity_ = n == 1 ? 1 : kPiecesPerThread * n;
  if (n == 1) {
    inline_ = std::make_unique<TChunkDeflater>();
    return;
  }
  workers_.reserve(n);
  try {
    for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
  } catch (...) {
    StopWorkers();
    throw;
  }
}

TParallelDeflater::~TParallelDeflater() { StopWorkers(); }

void TParallelDeflater::StopWorkers() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.clear();
  }
  workAvailable_.notify_all();
  for (std::thread& t : workers_)
    if (t.joinable()) t.join();
  workers_.clear();
}

TDeflateChunk TParallelDeflater::Spare() {
  if (spares_.empty()) return {};
  TDeflateChunk chunk = std::move(spares_.back());
  spares_.pop_back();
  chunk.input.clear();
  chunk.output.clear();
  chunk.dictionarySize = 0;
  chunk.last = false;
  chunk.crc = 0;
  return chunk;
}

void TParallelDeflater::Recycle(TDeflateChunk chunk) {
  if (spares_.size() < capacity_) spares_.push_back(std::move(chunk));
}

void TParallelDeflater::Submit(TDeflateChunk chunk) {
  if (inline_) {
    Slot& slot = slots_.emplace_back(Slot{std::move(chunk)});
    try {
      inline_->Compress(slot.chunk);
    } catch (...) {
      slot.error = std::current_exception();
    }
    slot.done = true;
    return;
  }
  {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_.emplace_back(Slot{std::move(chunk)});
    waiting_.push_back(&slot);
  }
  workAvailable_.notify_one();
}

TDeflateChunk TParallelDeflater::TakeOldest() {
  std::unique_lock lock(mutex_);
  pieceDone_.wait(lock, [this] { return slots_.front().done; });
  Slot slot = std::move(slots_.front());
  slots_.pop_front();
  lock.unlock();
  if (slot.error) std::rethrow_exception(slot.error);
  return std::move(slot.chunk);
}

void TParallelDeflater::Work() {
  std::unique_ptr<TChunkDeflater> deflater;
  std::exception_ptr startError;
  try {
    deflater = std::make_unique<TChunkDeflater>();
  } catch (...) {
    startError = std::current_exception();
  }
  std::unique_lock lock(mutex_);
  for (;;) {
    workAvailable_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (stopping_) return;
    Slot& slot = *waiting_.front();
    waiting_.pop_front();
    lock.unlock();
    std::exception_ptr error = startError;
    if (!error) {
      try {
        deflater->Compress(slot.chunk);
      } catch (...) {
        error = std::current_exception();
      }
    }
    lock.lock();
    slot.error = error;
    slot.done = true;
    pieceDone_.notify_all();
  }
}

}  // namespace archive
