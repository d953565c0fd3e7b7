// Compresses Deflate pieces on worker threads and hands them back in the order
// they were submitted. At most Capacity() pieces are in flight, so memory stays
// bounded whatever the sizes of the files behind them. With one thread there are
// no workers: Submit compresses on the caller's thread.
#pragma once
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/DeflateChunk.h"

namespace archive {

class TParallelDeflater {
 public:
  // `threads` 0: one per processor.
  explicit TParallelDeflater(unsigned threads);
  // Stops the workers; pieces not taken back are dropped.
  ~TParallelDeflater();
  TParallelDeflater(const TParallelDeflater&) = delete;
  TParallelDeflater& operator=(const TParallelDeflater&) = delete;

  static unsigned ThreadsFor(unsigned requested);

  size_t InFlight() const { return slots_.size(); }
  size_t Capacity() const { return capacity_; }
  // A piece to fill, with the buffers of one taken back earlier when there is one.
  TDeflateChunk Spare();
  // Queues a piece; requires InFlight() < Capacity().
  void Submit(TDeflateChunk chunk);
  // Requires InFlight() > 0. Waits for the oldest piece in flight and returns it compressed; raises the
  // error its compression raised.
  TDeflateChunk TakeOldest();
  // Keeps the buffers of a piece that was written, for Spare.
  void Recycle(TDeflateChunk chunk);

 private:
  struct Slot {
    TDeflateChunk chunk;
    bool done = false;
    std::exception_ptr error;
  };
  void Work();
  void StopWorkers();

  size_t capacity_;
  std::unique_ptr<TChunkDeflater> inline_;  // without workers
  std::deque<Slot> slots_;                  // in submission order; workers point into it
  std::deque<Slot*> waiting_;               // submitted, not yet picked up by a worker
  std::vector<TDeflateChunk> spares_;
  std::mutex mutex_;
  std::condition_variable workAvailable_, pieceDone_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace archive
