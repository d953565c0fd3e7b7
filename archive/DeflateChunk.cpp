#include "archive/DeflateChunk.h"

#include <zlib.h>

#include "platform/Errors.h"

namespace archive {

namespace {
constexpr int kDeflateLevel = 6;
constexpr int kMemLevel = 8;
}  // namespace

struct TChunkDeflater::Stream {
  z_stream z{};
};

TChunkDeflater::TChunkDeflater() : stream_(std::make_unique<Stream>()) {
  if (deflateInit2(&stream_->z, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
    throw QuillonError(WString(u"The Deflate compressor could not be started"));
}

TChunkDeflater::~TChunkDeflater() { deflateEnd(&stream_->z); }

void TChunkDeflater::Compress(TDeflateChunk& chunk) {
  z_stream& z = stream_->z;
  // A reset stream with the same dictionary gives the same bytes every time.
  if (deflateReset(&z) != Z_OK) throw QuillonError(WString(u"The Deflate compressor could not be reset"));
  if (chunk.dictionarySize &&
      deflateSetDictionary(&z, chunk.input.data(), static_cast<uInt>(chunk.dictionarySize)) != Z_OK)
    throw QuillonError(WString(u"The Deflate compressor refused its dictionary"));
  const size_t size = chunk.DataSize();
  const unsigned char* data = chunk.input.data() + chunk.dictionarySize;
  chunk.crc = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), data, static_cast<uInt>(size)));
  // The bound covers the final block; a sync-flush marker adds a few bytes more.
  chunk.output.resize(deflateBound(&z, static_cast<uLong>(size)) + 16);
  z.next_in = const_cast<unsigned char*>(data);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = chunk.output.data();
  z.avail_out = static_cast<uInt>(chunk.output.size());
  const int flush = chunk.last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    const int rc = deflate(&z, flush);
    if (rc == Z_STREAM_ERROR) throw QuillonError(WString(u"Deflate failed"));
    if (rc == Z_STREAM_END || (flush == Z_SYNC_FLUSH && z.avail_in == 0 && z.avail_out > 0)) break;
    if (z.avail_out != 0) throw QuillonError(WString(u"Deflate stopped before the end of its input"));
    const size_t used = chunk.output.size() - z.avail_out;  // ran out of room: grow and go on
    chunk.output.resize(chunk.output.size() * 2);
    z.next_out = chunk.output.data() + used;
    z.avail_out = static_cast<uInt>(chunk.output.size() - used);
  }
  chunk.output.resize(chunk.output.size() - z.avail_out);
}

}  // namespace archive
