// The raw deflate decoder against zlib's raw inflate: streams zlib writes, and streams
// written bit by bit here to break each rule of the format once.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "deploy/ownzip/raw_inflate.h"
#include "gtest/gtest.h"
#include "support/zip_builder.h"

namespace {

using ownzip::RawInflate;
using Bytes = std::string;

// What a decoder did with a stream fed in pieces of `inStep` bytes while it is given
// `outStep` bytes of room per call.
struct Trace {
  Bytes out;
  std::vector<int> results;  // every call's result, with its output and input counts
  std::size_t consumed = 0;
  int last = Z_OK;  // the final call's result
  bool operator==(const Trace& o) const {
    return out == o.out && results == o.results && consumed == o.consumed && last == o.last;
  }
};

constexpr int kMaxCalls = 2000000;

template <typename Step>
Trace Drive(const Bytes& stream, std::size_t inStep, std::size_t outStep, Step step) {
  Trace t;
  std::size_t fed = 0, avail = 0, pos = 0;
  std::vector<unsigned char> buf(outStep);
  for (int calls = 0; calls < kMaxCalls; ++calls) {
    if (avail == 0 && fed < stream.size()) {
      avail = std::min(inStep, stream.size() - fed);
      fed += avail;
    }
    std::size_t inBefore = avail;
    std::size_t produced = 0;
    int r = step(reinterpret_cast<const unsigned char*>(stream.data()) + pos, &avail,
                 buf.data(), outStep, &produced);
    pos += inBefore - avail;
    t.out.append(reinterpret_cast<const char*>(buf.data()), produced);
    t.results.push_back(r);
    t.results.push_back(static_cast<int>(produced));
    t.results.push_back(static_cast<int>(inBefore - avail));
    t.last = r;
    if (r != Z_OK) break;
  }
  t.consumed = pos;
  return t;
}

Trace Zlib(const Bytes& stream, std::size_t inStep, std::size_t outStep) {
  z_stream zs{};
  inflateInit2(&zs, -MAX_WBITS);
  Trace t = Drive(stream, inStep, outStep,
                  [&](const unsigned char* in, std::size_t* avail, unsigned char* out,
                      std::size_t room, std::size_t* produced) {
                    zs.next_in = const_cast<unsigned char*>(in);
                    zs.avail_in = static_cast<unsigned>(*avail);
                    zs.next_out = out;
                    zs.avail_out = static_cast<unsigned>(room);
                    int r = inflate(&zs, Z_SYNC_FLUSH);
                    *avail = zs.avail_in;
                    *produced = room - zs.avail_out;
                    return r == Z_NEED_DICT ? Z_DATA_ERROR : r;
                  });
  inflateEnd(&zs);
  return t;
}

Trace Ours(RawInflate& d, const Bytes& stream, std::size_t inStep, std::size_t outStep) {
  d.reset();
  return Drive(stream, inStep, outStep,
               [&](const unsigned char* in, std::size_t* avail, unsigned char* out,
                   std::size_t room, std::size_t* produced) {
                 std::size_t left = room;
                 int r = d.inflate(&in, avail, &out, &left);
                 *produced = room - left;
                 return r;
               });
}

// Text, noise and runs: every kind of block and match zlib writes.
Bytes Sample(std::size_t size) {
  Bytes s;
  std::uint32_t x = 12345;
  while (s.size() < size) {
    x = x * 1103515245 + 12345;
    switch ((x >> 16) % 4) {
      case 0:
        s += "the quick brown fox jumps over the lazy dog " + std::to_string(x % 97) + "\n";
        break;
      case 1:
        for (int i = 0; i < 40; ++i, x = x * 1103515245 + 12345) s += char(x >> 24);
        break;
      case 2:
        s.append(1 + (x >> 8) % 300, char('a' + x % 3));
        break;
      default:
        if (s.size() > 1000) s += s.substr(s.size() - 1000 + (x >> 8) % 500, 100);
    }
  }
  s.resize(size);
  return s;
}

class RawInflateTest : public ::testing::Test {
 protected:
  // Ours must match zlib call for call; the stream is expected to be `valid` or not.
  void ExpectLikeZlib(const Bytes& stream, bool valid, std::size_t inStep = 1 << 20,
                      std::size_t outStep = 8192) {
    Trace theirs = Zlib(stream, inStep, outStep);
    Trace mine = Ours(*decoder_, stream, inStep, outStep);
    ASSERT_EQ(theirs.last != Z_DATA_ERROR, valid);
    if (!valid) {
      EXPECT_EQ(mine.last, Z_DATA_ERROR);
      EXPECT_EQ(mine.out, theirs.out);  // what came before the error
      return;
    }
    EXPECT_TRUE(mine == theirs) << "in " << inStep << " out " << outStep;
  }

  std::unique_ptr<RawInflate> decoder_ = std::make_unique<RawInflate>();
};

TEST_F(RawInflateTest, DecodesWhatZlibWritesAtEveryLevelAndStrategy) {
  const Bytes data = Sample(400000);  // past the decoder's span, so history slides
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  for (int level : {0, 1, 6, 9}) {
    for (int strategy : strategies) {
      Bytes stream = DeflateRaw(data, level, strategy);
      Trace t = Ours(*decoder_, stream, 16384, 8192);
      ASSERT_EQ(t.out, data) << level << " " << strategy;
      ExpectLikeZlib(stream, true, 16384, 8192);
    }
  }
}

TEST_F(RawInflateTest, StopsWhereZlibStopsForAnySplitOfInputAndOutput) {
  const Bytes data = Sample(70000);
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED}) {
    Bytes stream = DeflateRaw(data, 6, strategy) + "trailing bytes";
    ExpectLikeZlib(stream, true, 1, 8192);
    ExpectLikeZlib(stream, true, 16384, 1);
    ExpectLikeZlib(stream, true, 7, 259);
    ExpectLikeZlib(stream, true, 1, 1);
  }
  ExpectLikeZlib(DeflateRaw(data, 0, Z_DEFAULT_STRATEGY), true, 3, 5);
  // Truncated anywhere: both wait for more input and then report no progress.
  Bytes stream = DeflateRaw(data, 9, Z_DEFAULT_STRATEGY);
  for (std::size_t cut : {std::size_t{1}, std::size_t{2}, stream.size() / 2, stream.size() - 1}) {
    ExpectLikeZlib(stream.substr(0, cut), true, 4096, 8192);
  }
}

// Writes deflate fields least significant bit first, Huffman codes most significant
// bit first.
class BitWriter {
 public:
  BitWriter& Put(unsigned value, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i) PutBit(i < 32 ? (value >> i) & 1 : 0);
    return *this;
  }
  BitWriter& Code(unsigned code, unsigned bits) {
    while (bits-- > 0) PutBit((code >> bits) & 1);
    return *this;
  }
  BitWriter& Bytes_(const Bytes& b) {
    for (char ch : b) Put(static_cast<unsigned char>(ch), 8);
    return *this;
  }
  Bytes Done() const { return out_; }

 private:
  void PutBit(unsigned b) {
    if (used_ == 0) out_ += '\0';
    out_.back() = static_cast<char>(out_.back() | (b << used_));
    used_ = (used_ + 1) & 7;
  }
  Bytes out_;
  unsigned used_ = 0;
};

// Fixed-code symbols.
void FixedLitLen(BitWriter& w, unsigned sym) {
  if (sym < 144) w.Code(0x30 + sym, 8);
  else if (sym < 256) w.Code(0x190 + sym - 144, 9);
  else if (sym < 280) w.Code(sym - 256, 7);
  else w.Code(0xc0 + sym - 280, 8);
}

// A match of `length` (3..258) at `distance`, fixed codes.
void FixedMatch(BitWriter& w, unsigned length, unsigned distance) {
  static const unsigned kLenBase[] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,  15,  17, 19, 23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const unsigned kLenExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  unsigned l = 28;
  while (kLenBase[l] > length) --l;
  FixedLitLen(w, 257 + l);
  w.Put(length - kLenBase[l], kLenExtra[l]);
  unsigned d = 0, base = 1;
  for (; d < 29; ++d) {
    unsigned extra = d < 4 ? 0 : d / 2 - 1;
    if (distance < base + (1u << extra)) break;
    base += 1u << extra;
  }
  w.Code(d, 5).Put(distance - base, d < 4 ? 0 : d / 2 - 1);
}

Bytes Noise(std::size_t n) {
  Bytes s;
  std::uint32_t x = 99;
  while (s.size() < n) s += char((x = x * 1103515245 + 12345) >> 24);
  return s;
}

Bytes StoredBlock(const Bytes& data, bool final) {
  BitWriter w;
  w.Put(final, 1).Put(0, 2).Put(0, 5);
  w.Put(static_cast<unsigned>(data.size()), 16).Put(~static_cast<unsigned>(data.size()) & 0xffff, 16);
  return w.Bytes_(data).Done();
}

TEST_F(RawInflateTest, MatchesReachBackExactlyAsFarAsTheHistoryGoes) {
  const Bytes noise = Noise(32768);
  // `stored` bytes in a stored block, then a literal and a match in a fixed block, and
  // bytes after the end so that the fast loop decodes them.
  auto withMatch = [&](unsigned stored, unsigned distance) {
    BitWriter w;
    w.Put(1, 1).Put(1, 2);
    FixedLitLen(w, 'x');
    FixedMatch(w, 258, distance);
    FixedLitLen(w, 256);
    return StoredBlock(noise.substr(0, stored), false) + w.Done() + Bytes(16, '\0');
  };
  ExpectLikeZlib(withMatch(32767, 32768), true);
  Trace t = Ours(*decoder_, withMatch(32767, 32768), 1 << 20, 8192);
  EXPECT_EQ(t.out.substr(32768), noise.substr(0, 258));
  ExpectLikeZlib(withMatch(100, 101), true, 1, 1);
  ExpectLikeZlib(withMatch(100, 102), false);
  ExpectLikeZlib(withMatch(100, 102), false, 1, 1);
}

// A dynamic block header: the code-length code gives symbols 0-12 four bits and 13-18
// five; `lengths` are written one by one, then `raw` code-length symbols
// (symbol, extra bits, value) as they are.
struct Raw {
  unsigned sym, bits, value;
};
BitWriter DynamicHeader(unsigned hlit, unsigned hdist, const std::vector<unsigned>& lengths,
                        const std::vector<Raw>& raw = {}, unsigned clBitsOf18 = 5) {
  unsigned cl[19];
  for (unsigned s = 0; s < 19; ++s) cl[s] = s < 13 ? 4 : 5;
  cl[18] = clBitsOf18;
  auto clCode = [&](unsigned sym) {  // canonical code of `sym` in that set
    unsigned code = 0, prev = 0;
    bool first = true;
    for (unsigned len = 1; len <= 7; ++len) {
      for (unsigned s = 0; s < 19; ++s) {
        if (cl[s] != len) continue;
        code = first ? 0 : (code + 1) << (len - prev);
        first = false;
        prev = len;
        if (s == sym) return code;
      }
    }
    return 0u;
  };
  static const unsigned kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  BitWriter w;
  w.Put(1, 1).Put(2, 2).Put(hlit - 257, 5).Put(hdist - 1, 5).Put(15, 4);
  for (unsigned i = 0; i < 19; ++i) w.Put(cl[kOrder[i]], 3);
  for (unsigned len : lengths) w.Code(clCode(len), cl[len]);
  for (const Raw& r : raw) w.Code(clCode(r.sym), cl[r.sym]).Put(r.value, r.bits);
  return w;
}

// A literal/length set of two one-bit codes.
std::vector<unsigned> TwoSymbols(unsigned hlit, unsigned a, unsigned b) {
  std::vector<unsigned> v(hlit, 0);
  v[a] = 1;
  v[b] = 1;
  return v;
}

TEST_F(RawInflateTest, RefusesWhatZlibRefuses) {
  auto lit = [](std::vector<unsigned> v, std::vector<unsigned> d) {
    v.insert(v.end(), d.begin(), d.end());
    return v;
  };
  const std::vector<unsigned> okLit = TwoSymbols(257, 'A', 256);
  // One literal 'A' (code 0), end of block (code 1), with distance set `d`.
  auto block = [&](const std::vector<unsigned>& lits, const std::vector<unsigned>& d) {
    BitWriter w = DynamicHeader(static_cast<unsigned>(lits.size()), static_cast<unsigned>(d.size()),
                                lit(lits, d));
    return w.Code(0, 1).Code(1, 1).Done();
  };
  ExpectLikeZlib(block(okLit, {1, 1}), true);
  ExpectLikeZlib(block(okLit, {1}), true);     // a lone one-bit distance code
  ExpectLikeZlib(block(okLit, {0}), true);     // no distance codes at all
  ExpectLikeZlib(block(okLit, {2}), false);    // incomplete distance set
  ExpectLikeZlib(block(okLit, {1, 1, 1}), false);  // over-subscribed
  std::vector<unsigned> three = okLit;
  three['B'] = 1;
  ExpectLikeZlib(block(three, {1, 1}), false);  // over-subscribed literal/length set
  std::vector<unsigned> lone = TwoSymbols(257, 'A', 256);
  lone['A'] = 0;
  ExpectLikeZlib(block(lone, {1, 1}), true);    // a lone one-bit end-of-block code
  ExpectLikeZlib(block(TwoSymbols(257, 'A', 'B'), {1, 1}), false);  // no end-of-block code

  // Counts out of range, repeats with nothing before them or running past the end.
  ExpectLikeZlib(DynamicHeader(287, 1, {}).Done() + Bytes(64, '\0'), false);
  ExpectLikeZlib(DynamicHeader(257, 31, {}).Done() + Bytes(64, '\0'), false);
  ExpectLikeZlib(DynamicHeader(257, 1, {}, {{16, 2, 0}}).Done() + Bytes(64, '\0'), false);
  ExpectLikeZlib(DynamicHeader(257, 1, {}, {{18, 7, 127}, {18, 7, 127}, {18, 7, 5}}).Done() +
                     Bytes(64, '\0'),
                 false);
  // Incomplete code-length code (symbol 18 without a code leaves a gap).
  ExpectLikeZlib(DynamicHeader(257, 1, {}, {}, 0).Done() + Bytes(64, '\0'), false);
  // Code-length code without any code: every length reads as 0, and the end-of-block
  // code is then missing.
  ExpectLikeZlib(BitWriter().Put(1, 1).Put(2, 2).Put(0, 14).Put(0, 57).Done() + Bytes(64, '\0'),
                 false);

  // Block type 3, stored lengths that disagree, fixed symbols 286 and distance 30.
  ExpectLikeZlib(BitWriter().Put(1, 1).Put(3, 2).Done() + Bytes(8, '\0'), false);
  ExpectLikeZlib(BitWriter().Put(1, 1).Put(0, 7).Put(5, 16).Put(5, 16).Done() + Bytes(8, 'x'),
                 false);
  BitWriter w286;
  w286.Put(1, 1).Put(1, 2);
  FixedLitLen(w286, 286);
  ExpectLikeZlib(w286.Done() + Bytes(8, '\0'), false);
  BitWriter w30;
  w30.Put(1, 1).Put(1, 2);
  FixedLitLen(w30, 'a');
  FixedLitLen(w30, 257);
  w30.Code(30, 5);
  ExpectLikeZlib(w30.Done() + Bytes(8, '\0'), false);
}

TEST_F(RawInflateTest, FailsOnEveryCallAfterAnError) {
  Bytes bad = BitWriter().Put(1, 1).Put(3, 2).Done();
  Trace t = Ours(*decoder_, bad, 1, 1);
  ASSERT_EQ(t.last, Z_DATA_ERROR);
  const unsigned char* in = reinterpret_cast<const unsigned char*>(bad.data());
  std::size_t avail = bad.size();
  unsigned char out[4];
  unsigned char* o = out;
  std::size_t room = sizeof out;
  EXPECT_EQ(decoder_->inflate(&in, &avail, &o, &room), Z_DATA_ERROR);
  decoder_->reset();  // and a reset makes it whole again
  EXPECT_EQ(Ours(*decoder_, DeflateRaw("abc", 6, Z_DEFAULT_STRATEGY), 1, 1).out, "abc");
}

}  // namespace
