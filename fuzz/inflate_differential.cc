// Differential fuzzer: raw bytes go into zlib's raw inflate and into ours, fed in the
// same pieces with the same output room per call (both taken from the first byte).
// Every call must match: result, bytes produced, bytes consumed (except on the call that
// finds an error). So both accept and refuse the same streams, hand out the same bytes
// up to any error and end at the same point.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "deploy/ownzip/raw_inflate.h"

namespace {

using ownzip::RawInflate;

// Enough to slide the decoder's history a few times; tiny output steps get less, or
// a single input would take a second.
constexpr std::size_t kMaxOutput = 512u << 10;
constexpr std::size_t kMaxOutputInTinySteps = 40u << 10;

void Fail(const char* what, std::size_t at) {
  std::fprintf(stderr, "difference in %s at call %zu\n", what, at);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const std::size_t kInSteps[] = {1, 2, 3, 7, 64, 1000, 16384, 1 << 20};
  static const std::size_t kOutSteps[] = {1, 5, 258, 259, 8192, 8192, 65536, 300000};
  const std::size_t inStep = kInSteps[data[0] & 7];
  const std::size_t outStep = kOutSteps[(data[0] >> 3) & 7];
  const unsigned char* stream = data + 1;
  const std::size_t streamSize = size - 1;

  static std::unique_ptr<RawInflate> ours(new RawInflate);
  ours->reset();
  z_stream zs{};
  if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) std::abort();

  static std::string zout, oout;
  zout.clear();
  oout.clear();
  static unsigned char zbuf[300000], obuf[300000];

  // Each is fed from where it stands (they stand alike until a call fails).
  std::size_t zpos = 0, zfed = 0, zavail = 0;
  std::size_t opos = 0, ofed = 0, oavail = 0;
  int zr = Z_OK, orr = Z_OK;
  std::size_t checked = 0;
  const std::size_t maxOutput = outStep < 256 ? kMaxOutputInTinySteps : kMaxOutput;
  for (std::size_t call = 0; zout.size() < maxOutput; ++call) {
    if (zavail == 0 && zfed < streamSize) zfed += zavail = std::min(inStep, streamSize - zfed);
    zs.next_in = const_cast<unsigned char*>(stream + zpos);
    zs.avail_in = static_cast<unsigned>(zavail);
    zs.next_out = zbuf;
    zs.avail_out = static_cast<unsigned>(outStep);
    zr = inflate(&zs, Z_SYNC_FLUSH);
    if (zr == Z_NEED_DICT) zr = Z_DATA_ERROR;  // not returned for raw streams
    zpos += zavail - zs.avail_in;
    zavail = zs.avail_in;
    zout.append(reinterpret_cast<char*>(zbuf), outStep - zs.avail_out);

    {
      if (oavail == 0 && ofed < streamSize) ofed += oavail = std::min(inStep, streamSize - ofed);
      const unsigned char* in = stream + opos;
      std::size_t avail = oavail;
      unsigned char* out = obuf;
      std::size_t room = outStep;
      orr = ours->inflate(&in, &avail, &out, &room);
      opos += oavail - avail;
      oavail = avail;
      oout.append(reinterpret_cast<char*>(obuf), outStep - room);
    }
    // The same result from the same call, the same bytes before it; the input
    // consumed may differ only on the call that fails.
    if (zr != orr) Fail("result", call);
    if (zout.size() != oout.size()) Fail("bytes produced", call);
    if (std::memcmp(zout.data() + checked, oout.data() + checked, zout.size() - checked) != 0) {
      Fail("bytes", call);
    }
    checked = zout.size();
    if (zr != Z_DATA_ERROR && zpos != opos) Fail("bytes consumed", call);
    if (zr != Z_OK) break;
  }
  inflateEnd(&zs);
  return 0;
}
