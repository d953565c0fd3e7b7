// One piece of a Deflate stream compressed on its own, so that the pieces of an
// entry can be compressed on different threads and joined into one valid stream
// (the way pigz does it). A piece starts fresh with the tail of the preceding
// input as its dictionary and ends byte-aligned on a sync-flush marker, or with
// the final block when it is the entry's last; its output depends only on its
// input, never on which thread ran it or when.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace archive {

struct TDeflateChunk {
  // The dictionary (up to 32 KiB of the entry's input just before this piece)
  // followed by this piece's data.
  std::vector<unsigned char> input;
  size_t dictionarySize = 0;
  bool last = false;  // the entry ends with this piece
  // Filled by the compression:
  std::vector<unsigned char> output;
  uint32_t crc = 0;  // CRC-32 of the data, without the dictionary

  size_t DataSize() const { return input.size() - dictionarySize; }
};

// A raw Deflate compressor (level 6) kept for the pieces one thread compresses.
class TChunkDeflater {
 public:
  static constexpr size_t kDictionarySize = 32 * 1024;  // the Deflate window

  TChunkDeflater();
  ~TChunkDeflater();
  TChunkDeflater(const TChunkDeflater&) = delete;
  TChunkDeflater& operator=(const TChunkDeflater&) = delete;

  // Compresses `chunk.input` into `chunk.output` and sets `chunk.crc`.
  void Compress(TDeflateChunk& chunk);

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
};

}  // namespace archive
