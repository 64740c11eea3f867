// Differential fuzzer: raw bytes go into zlib's raw inflate and into ours, fed in the
// same pieces with the same output room per call (both taken from the first byte).
// Where zlib accepts (or waits for more input), every call must match: result, bytes
// produced, bytes consumed. Where zlib finds an error, ours must end in an error too,
// and the bytes each handed out must agree as far as both go.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "deploy/ownzip/raw_inflate.h"

namespace {

using ownzip::detail::RawInflate;

struct Call {
  int result;
  std::size_t produced, consumed;
};

// Enough to slide the decoder's history a few times; tiny output steps get less, or
// a single input would take a second.
constexpr std::size_t kMaxOutput = 512u << 10;
constexpr std::size_t kMaxOutputInTinySteps = 40u << 10;

void fail(const char* what, std::size_t at) {
  std::fprintf(stderr, "difference in %s at call %zu\n", what, at);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const std::size_t kInSteps[] = {1, 2, 3, 7, 64, 1000, 16384, 1 << 20};
  static const std::size_t kOutSteps[] = {1, 5, 258, 259, 8192, 8192, 65536, 300000};
  const std::size_t in_step = kInSteps[data[0] & 7];
  const std::size_t out_step = kOutSteps[(data[0] >> 3) & 7];
  const unsigned char* stream = data + 1;
  const std::size_t stream_size = size - 1;

  static std::unique_ptr<RawInflate> ours(new RawInflate);
  ours->Reset();
  z_stream zs{};
  if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) std::abort();

  static std::string zout, oout;
  zout.clear();
  oout.clear();
  static unsigned char zbuf[300000], obuf[300000];

  // Both are fed the same pieces as long as they consume alike.
  std::size_t zpos = 0, zfed = 0, zavail = 0;
  std::size_t opos = 0, ofed = 0, oavail = 0;
  int zr = Z_OK, orr = Z_OK;
  const std::size_t max_output = out_step < 256 ? kMaxOutputInTinySteps : kMaxOutput;
  for (std::size_t call = 0; zout.size() < max_output; ++call) {
    if (zr == Z_OK) {
      if (zavail == 0 && zfed < stream_size) zfed += zavail = std::min(in_step, stream_size - zfed);
      zs.next_in = const_cast<unsigned char*>(stream + zpos);
      zs.avail_in = static_cast<unsigned>(zavail);
      zs.next_out = zbuf;
      zs.avail_out = static_cast<unsigned>(out_step);
      zr = inflate(&zs, Z_SYNC_FLUSH);
      if (zr == Z_NEED_DICT) zr = Z_DATA_ERROR;  // not returned for raw streams
      zpos += zavail - zs.avail_in;
      zavail = zs.avail_in;
      zout.append(reinterpret_cast<char*>(zbuf), out_step - zs.avail_out);
    }
    Call o{orr, 0, 0};
    if (orr == RawInflate::kOk) {
      if (oavail == 0 && ofed < stream_size) ofed += oavail = std::min(in_step, stream_size - ofed);
      const unsigned char* in = stream + opos;
      std::size_t avail = oavail;
      unsigned char* out = obuf;
      std::size_t room = out_step;
      orr = ours->Inflate(&in, &avail, &out, &room);
      o = Call{orr, out_step - room, oavail - avail};
      opos += o.consumed;
      oavail = avail;
      oout.append(reinterpret_cast<char*>(obuf), o.produced);
    }
    if (zr == Z_DATA_ERROR || orr == RawInflate::kDataError) {
      if (zr == Z_OK || orr == RawInflate::kOk) continue;  // the other may find it later
      if (zr != orr) fail("acceptance", call);
      std::size_t n = std::min(zout.size(), oout.size());
      if (std::memcmp(zout.data(), oout.data(), n) != 0) fail("bytes before the error", call);
      break;
    }
    if (zr != orr) fail("result", call);
    if (zout.size() != oout.size() || zpos != opos) fail("counts", call);
    if (std::memcmp(zout.data(), oout.data(), zout.size()) != 0) fail("bytes", call);
    if (zr != Z_OK) break;
  }
  inflateEnd(&zs);
  return 0;
}
