// The decoder runs as a state machine that takes input a byte at a time and stops
// wherever input or output runs out, as zlib's inflate does; inside a block, while at
// least 8 input bytes remain and output room is left, a fast loop decodes whole
// symbols from a 64-bit bit buffer refilled a word at a time.
//
// The bit buffer holds fewer than 8 bits between the states (the fast loop hands its
// unused whole bytes back when it leaves), so the input consumed by every call, and the
// end of the stream, fall where zlib's fall.
//
// A damaged stream fails on the call where zlib's inflate fails, and every later call
// fails too. The bytes handed out before the error are zlib's as far as tested, but
// callers must not rely on them: only the error is promised.
#include "deploy/ownzip/raw_inflate.h"

#include <cstring>

namespace ownzip {

namespace {

// The order in which the code-length code's lengths are stored.
const std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                           11, 4,  12, 3, 13, 2, 14, 1, 15};

inline std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);  // little-endian targets only
  return v;
}

inline std::uint32_t Resolve(const std::uint32_t* table, unsigned tableBits,
                             std::uint64_t bits) {
  std::uint32_t e = table[bits & ((1u << tableBits) - 1)];
  if (e & kEntrySubtable) {
    e = table[EntryValue(e) + ((bits >> tableBits) & ((1u << EntryCodeBits(e)) - 1))];
  }
  return e;
}

// The value of a length or distance entry: its base plus the extra bits after the code.
inline unsigned EntryAmount(std::uint32_t e, std::uint64_t bits) {
  unsigned code = EntryCodeBits(e);
  unsigned extra = EntryDropBits(e) - code;
  return EntryValue(e) + static_cast<unsigned>((bits >> code) & ((1u << extra) - 1));
}

// Copies a match of `n` bytes from `distance` back. Works in words and may write up to
// 15 bytes past the end; every word it reads lies wholly before what it writes.
inline void CopyMatch(unsigned char* out, unsigned distance, unsigned n) {
  const unsigned char* src = out - distance;
  unsigned char* end = out + n;
  if (distance >= 16) {
    do {
      unsigned char chunk[16];
      std::memcpy(chunk, src, 16);
      std::memcpy(out, chunk, 16);
      src += 16;
      out += 16;
    } while (out < end);
  } else if (distance >= 8) {
    do {
      std::memcpy(out, src, 8);
      src += 8;
      out += 8;
    } while (out < end);
  } else if (distance == 1) {
    std::uint64_t v = 0x0101010101010101ull * *src;
    do {
      std::memcpy(out, &v, 8);
      out += 8;
    } while (out < end);
  } else {
    while (out < end) *out++ = *src++;
  }
}

}  // namespace

RawInflate::RawInflate() {
  std::uint8_t lengths[288];
  unsigned sym = 0;
  for (; sym < 144; ++sym) lengths[sym] = 8;
  for (; sym < 256; ++sym) lengths[sym] = 9;
  for (; sym < 280; ++sym) lengths[sym] = 7;
  for (; sym < 288; ++sym) lengths[sym] = 8;
  BuildHuffmanTable(CodeKind::kLitLen, lengths, 288, litFixed_);
  for (sym = 0; sym < 32; ++sym) lengths[sym] = 5;
  BuildHuffmanTable(CodeKind::kDistance, lengths, 32, distFixed_);
  reset();
}

void RawInflate::reset() {
  mode_ = Mode::kBlockHeader;
  lastBlock_ = false;
  bitBuffer_ = 0;
  bitCount_ = 0;
  length_ = 0;
  distance_ = 0;
  writePos_ = 0;
  history_ = 0;
}

int RawInflate::inflate(const unsigned char** in, std::size_t* inSize, unsigned char** out,
                        std::size_t* outSize) {
  if (mode_ == Mode::kBad) return kDataError;
  if (mode_ == Mode::kDone) return kStreamEnd;
  const std::size_t outBefore = *outSize;
  Cursor c;
  c.in = c.inStart = *in;
  c.inEnd = *in + *inSize;
  int result = kOk;
  for (;;) {
    const std::size_t spanEnd = kHistory + kSpan;
    if (spanEnd - writePos_ < *outSize && writePos_ > kHistory) slideHistory();
    std::size_t piece = spanEnd - writePos_;
    if (piece > *outSize) piece = *outSize;
    unsigned char* start = window_ + writePos_;
    c.out = start;
    c.outEnd = start + piece;
    c.historyBegin = start - history_;
    result = run(c);
    std::size_t n = static_cast<std::size_t>(c.out - start);
    if (n > 0) std::memcpy(*out, start, n);
    *out += n;
    *outSize -= n;
    writePos_ += n;
    history_ += n;
    if (result != kOk || n < piece || *outSize == 0) break;
  }
  *in = c.in;
  *inSize = static_cast<std::size_t>(c.inEnd - c.in);
  if (result == kOk && c.in == c.inStart && *outSize == outBefore) result = kBufError;
  return result;
}

void RawInflate::slideHistory() {
  std::size_t keep = history_ < kHistory ? history_ : kHistory;
  std::memmove(window_, window_ + writePos_ - keep, keep);
  writePos_ = keep;
  history_ = keep;
}

bool RawInflate::pullByte(Cursor& c) {
  if (c.in == c.inEnd) return false;
  bitBuffer_ |= static_cast<std::uint64_t>(*c.in++) << bitCount_;
  bitCount_ += 8;
  return true;
}

bool RawInflate::need(Cursor& c, unsigned bits) {
  while (bitCount_ < bits) {
    if (!pullByte(c)) return false;
  }
  return true;
}

unsigned RawInflate::take(unsigned bits) {
  unsigned v = static_cast<unsigned>(bitBuffer_ & ((std::uint64_t{1} << bits) - 1));
  bitBuffer_ >>= bits;
  bitCount_ -= bits;
  return v;
}

// Finds the entry of the next code, pulling bytes until the code is complete. Bits
// beyond those held read as zero: an entry whose code fits in the bits held is right.
bool RawInflate::lookup(Cursor& c, const std::uint32_t* table, unsigned tableBits,
                        std::uint32_t* e) {
  for (;;) {
    *e = Resolve(table, tableBits, bitBuffer_);
    if (EntryCodeBits(*e) <= bitCount_) return true;
    if (!pullByte(c)) return false;
  }
}

void RawInflate::returnWholeBytes(Cursor& c) {
  // Only bytes of this call can be given back; the slow path never holds 8 bits more
  // than it needs, so in practice all whole bytes go back.
  std::size_t n = bitCount_ >> 3;
  std::size_t mine = static_cast<std::size_t>(c.in - c.inStart);
  if (n > mine) n = mine;
  c.in -= n;
  bitCount_ -= static_cast<unsigned>(n * 8);
  bitBuffer_ &= bitCount_ == 0 ? 0 : ~std::uint64_t{0} >> (64 - bitCount_);
}

int RawInflate::dynamicTables() {
  if (lengths_[256] == 0) return fail();  // no end-of-block code
  if (!BuildHuffmanTable(CodeKind::kLitLen, lengths_, litCodes_, litDynamic_)) return fail();
  if (!BuildHuffmanTable(CodeKind::kDistance, lengths_ + litCodes_, distCodes_,
                         distDynamic_)) {
    return fail();
  }
  litTable_ = litDynamic_;
  distTable_ = distDynamic_;
  mode_ = Mode::kSymbol;
  return kOk;
}

int RawInflate::run(Cursor& c) {
  for (;;) {
    switch (mode_) {
      case Mode::kBlockHeader: {
        if (lastBlock_) {
          take(bitCount_ & 7);
          mode_ = Mode::kDone;
          return kStreamEnd;
        }
        if (!need(c, 3)) return kOk;
        lastBlock_ = take(1) != 0;
        unsigned type = take(2);
        if (type == 0) {
          mode_ = Mode::kStoredHeader;
        } else if (type == 1) {
          litTable_ = litFixed_;
          distTable_ = distFixed_;
          mode_ = Mode::kSymbol;
        } else if (type == 2) {
          mode_ = Mode::kTableHeader;
        } else {
          return fail();
        }
        break;
      }

      case Mode::kStoredHeader: {
        take(bitCount_ & 7);
        if (!need(c, 32)) return kOk;
        unsigned lengths = take(32);
        if ((lengths & 0xffff) != ((lengths >> 16) ^ 0xffff)) return fail();
        length_ = lengths & 0xffff;
        mode_ = Mode::kStoredCopy;
        break;
      }

      case Mode::kStoredCopy:
        while (length_ > 0) {
          if (c.out == c.outEnd) return kOk;
          if (bitCount_ >= 8) {  // not reached while the bit buffer is kept short
            *c.out++ = static_cast<unsigned char>(take(8));
            --length_;
            continue;
          }
          if (c.in == c.inEnd) return kOk;
          std::size_t n = length_;
          if (n > static_cast<std::size_t>(c.inEnd - c.in)) n = c.inEnd - c.in;
          if (n > static_cast<std::size_t>(c.outEnd - c.out)) n = c.outEnd - c.out;
          std::memcpy(c.out, c.in, n);
          c.in += n;
          c.out += n;
          length_ -= static_cast<unsigned>(n);
        }
        mode_ = Mode::kBlockHeader;
        break;

      case Mode::kTableHeader:
        if (!need(c, 14)) return kOk;
        litCodes_ = take(5) + 257;
        distCodes_ = take(5) + 1;
        codeLengthCodes_ = take(4) + 4;
        if (litCodes_ > 286 || distCodes_ > 30) return fail();
        lengthsRead_ = 0;
        mode_ = Mode::kCodeLengthLengths;
        break;

      case Mode::kCodeLengthLengths:
        while (lengthsRead_ < codeLengthCodes_) {
          if (!need(c, 3)) return kOk;
          lengths_[kCodeLengthOrder[lengthsRead_++]] = static_cast<std::uint8_t>(take(3));
        }
        while (lengthsRead_ < 19) lengths_[kCodeLengthOrder[lengthsRead_++]] = 0;
        if (!BuildHuffmanTable(CodeKind::kCodeLengths, lengths_, 19, codeLengthTable_)) {
          return fail();
        }
        lengthsRead_ = 0;
        mode_ = Mode::kCodeLengths;
        break;

      case Mode::kCodeLengths: {
        const unsigned total = litCodes_ + distCodes_;
        while (lengthsRead_ < total) {
          std::uint32_t e;
          if (!lookup(c, codeLengthTable_, kCodeLenTableBits, &e)) return kOk;
          unsigned sym = EntryValue(e);
          unsigned code = EntryCodeBits(e);
          if (sym < 16) {
            take(code);
            lengths_[lengthsRead_++] = static_cast<std::uint8_t>(sym);
            continue;
          }
          unsigned extra = sym == 16 ? 2 : sym == 17 ? 3 : 7;
          if (!need(c, code + extra)) return kOk;
          take(code);
          std::uint8_t value = 0;
          unsigned repeat;
          if (sym == 16) {
            if (lengthsRead_ == 0) return fail();  // nothing to repeat
            value = lengths_[lengthsRead_ - 1];
            repeat = 3 + take(2);
          } else if (sym == 17) {
            repeat = 3 + take(3);
          } else {
            repeat = 11 + take(7);
          }
          if (lengthsRead_ + repeat > total) return fail();
          while (repeat-- > 0) lengths_[lengthsRead_++] = value;
        }
        if (dynamicTables() != kOk) return kDataError;
        break;
      }

      case Mode::kSymbol: {
        if (c.inEnd - c.in >= 8 && c.out < c.outEnd) {
          fastLoop(c);
          if (mode_ != Mode::kSymbol) break;
          if (c.inEnd - c.in >= 8 && c.out < c.outEnd) break;
        }
        std::uint32_t e;
        if (!lookup(c, litTable_, kLitLenTableBits, &e)) return kOk;
        if (e & kEntryLiteral) {
          take(EntryCodeBits(e));
          literal_ = EntryValue(e);
          mode_ = Mode::kLiteral;
          break;
        }
        if (e & kEntryEndOfBlock) {
          take(EntryCodeBits(e));
          mode_ = Mode::kBlockHeader;
          break;
        }
        if (e & kEntryInvalid) return fail();
        if (!need(c, EntryDropBits(e))) return kOk;
        length_ = EntryAmount(e, bitBuffer_);
        take(EntryDropBits(e));
        mode_ = Mode::kDistance;
        break;
      }

      case Mode::kLiteral:
        if (c.out == c.outEnd) return kOk;
        *c.out++ = static_cast<unsigned char>(literal_);
        mode_ = Mode::kSymbol;
        break;

      case Mode::kDistance: {
        std::uint32_t e;
        if (!lookup(c, distTable_, kDistTableBits, &e)) return kOk;
        if (e & kEntryInvalid) return fail();
        if (!need(c, EntryDropBits(e))) return kOk;
        distance_ = EntryAmount(e, bitBuffer_);
        take(EntryDropBits(e));
        mode_ = Mode::kMatch;
        break;
      }

      case Mode::kMatch: {
        if (c.out == c.outEnd) return kOk;
        if (distance_ > static_cast<std::size_t>(c.out - c.historyBegin)) return fail();
        unsigned n = length_;
        if (n > static_cast<std::size_t>(c.outEnd - c.out)) {
          n = static_cast<unsigned>(c.outEnd - c.out);
        }
        const unsigned char* src = c.out - distance_;
        for (unsigned i = 0; i < n; ++i) c.out[i] = src[i];
        c.out += n;
        length_ -= n;
        if (length_ == 0) mode_ = Mode::kSymbol;
        break;
      }

      case Mode::kDone:
        return kStreamEnd;
      case Mode::kBad:
        return kDataError;
    }
  }
}

// Decodes symbols while 8 input bytes remain and output room is left. A refill leaves
// at least 56 bits, enough for the longest length code with its extra bits (20) and the
// longest distance code with its extra bits (28), so each symbol needs one refill.
void RawInflate::fastLoop(Cursor& c) {
  const std::uint32_t* lit = litTable_;
  const std::uint32_t* dist = distTable_;
  std::uint64_t bits = bitBuffer_;
  unsigned count = bitCount_;
  const unsigned char* in = c.in;
  const unsigned char* const inLast = c.inEnd - 8;
  unsigned char* out = c.out;
  unsigned char* const outEnd = c.outEnd;
  const unsigned char* const historyBegin = c.historyBegin;

  while (in <= inLast && out < outEnd) {
    bits |= Load64(in) << count;
    in += (63 - count) >> 3;
    count |= 56;

    std::uint32_t e = Resolve(lit, kLitLenTableBits, bits);
    unsigned drop = EntryDropBits(e);
    if (e & kEntryLiteral) {
      bits >>= drop;
      count -= drop;
      *out++ = static_cast<unsigned char>(EntryValue(e));
      continue;
    }
    if (e & (kEntryEndOfBlock | kEntryInvalid)) {
      bits >>= drop;
      count -= drop;
      mode_ = (e & kEntryInvalid) ? Mode::kBad : Mode::kBlockHeader;
      break;
    }
    unsigned length = EntryAmount(e, bits);
    bits >>= drop;
    count -= drop;

    e = Resolve(dist, kDistTableBits, bits);
    if (e & kEntryInvalid) {
      mode_ = Mode::kBad;
      break;
    }
    unsigned distance = EntryAmount(e, bits);
    drop = EntryDropBits(e);
    bits >>= drop;
    count -= drop;
    if (distance > static_cast<std::size_t>(out - historyBegin)) {
      mode_ = Mode::kBad;
      break;
    }
    std::size_t room = static_cast<std::size_t>(outEnd - out);
    if (length > room) {
      // The rest of the match waits for the next call's room.
      length_ = length - static_cast<unsigned>(room);
      distance_ = distance;
      mode_ = Mode::kMatch;
      CopyMatch(out, distance, static_cast<unsigned>(room));
      out += room;
      break;
    }
    CopyMatch(out, distance, length);
    out += length;
  }
  c.in = in;
  c.out = out;
  bitBuffer_ = bits;
  bitCount_ = count;
  returnWholeBytes(c);
}

}  // namespace ownzip
