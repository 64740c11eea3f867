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
namespace detail {

namespace {

// The order in which the code-length code's lengths are stored.
const std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                           11, 4,  12, 3, 13, 2, 14, 1, 15};

inline std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);  // little-endian targets only
  return v;
}

inline std::uint32_t Resolve(const std::uint32_t* table, unsigned table_bits,
                             std::uint64_t bits) {
  std::uint32_t e = table[bits & ((1u << table_bits) - 1)];
  if (e & kEntrySubtable) {
    e = table[EntryValue(e) + ((bits >> table_bits) & ((1u << EntryCodeBits(e)) - 1))];
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
  BuildHuffmanTable(CodeKind::kLitLen, lengths, 288, lit_fixed_);
  for (sym = 0; sym < 32; ++sym) lengths[sym] = 5;
  BuildHuffmanTable(CodeKind::kDistance, lengths, 32, dist_fixed_);
  Reset();
}

void RawInflate::Reset() {
  mode_ = Mode::kBlockHeader;
  last_block_ = false;
  bit_buffer_ = 0;
  bit_count_ = 0;
  length_ = 0;
  distance_ = 0;
  write_pos_ = 0;
  history_ = 0;
}

int RawInflate::Inflate(const unsigned char** in, std::size_t* in_size, unsigned char** out,
                        std::size_t* out_size) {
  if (mode_ == Mode::kBad) return kDataError;
  if (mode_ == Mode::kDone) return kStreamEnd;
  const std::size_t out_before = *out_size;
  Cursor c;
  c.in = c.in_start = *in;
  c.in_end = *in + *in_size;
  int result = kOk;
  for (;;) {
    const std::size_t span_end = kHistory + kSpan;
    if (span_end - write_pos_ < *out_size && write_pos_ > kHistory) SlideHistory();
    std::size_t piece = span_end - write_pos_;
    if (piece > *out_size) piece = *out_size;
    unsigned char* start = window_ + write_pos_;
    c.out = start;
    c.out_end = start + piece;
    c.history_begin = start - history_;
    result = Run(c);
    std::size_t n = static_cast<std::size_t>(c.out - start);
    if (n > 0) std::memcpy(*out, start, n);
    *out += n;
    *out_size -= n;
    write_pos_ += n;
    history_ += n;
    if (result != kOk || n < piece || *out_size == 0) break;
  }
  *in = c.in;
  *in_size = static_cast<std::size_t>(c.in_end - c.in);
  if (result == kOk && c.in == c.in_start && *out_size == out_before) result = kBufError;
  return result;
}

void RawInflate::SlideHistory() {
  std::size_t keep = history_ < kHistory ? history_ : kHistory;
  std::memmove(window_, window_ + write_pos_ - keep, keep);
  write_pos_ = keep;
  history_ = keep;
}

bool RawInflate::PullByte(Cursor& c) {
  if (c.in == c.in_end) return false;
  bit_buffer_ |= static_cast<std::uint64_t>(*c.in++) << bit_count_;
  bit_count_ += 8;
  return true;
}

bool RawInflate::Need(Cursor& c, unsigned bits) {
  while (bit_count_ < bits) {
    if (!PullByte(c)) return false;
  }
  return true;
}

unsigned RawInflate::Take(unsigned bits) {
  unsigned v = static_cast<unsigned>(bit_buffer_ & ((std::uint64_t{1} << bits) - 1));
  bit_buffer_ >>= bits;
  bit_count_ -= bits;
  return v;
}

// Finds the entry of the next code, pulling bytes until the code is complete. Bits
// beyond those held read as zero: an entry whose code fits in the bits held is right.
bool RawInflate::Lookup(Cursor& c, const std::uint32_t* table, unsigned table_bits,
                        std::uint32_t* e) {
  for (;;) {
    *e = Resolve(table, table_bits, bit_buffer_);
    if (EntryCodeBits(*e) <= bit_count_) return true;
    if (!PullByte(c)) return false;
  }
}

void RawInflate::ReturnWholeBytes(Cursor& c) {
  // Only bytes of this call can be given back; the slow path never holds 8 bits more
  // than it needs, so in practice all whole bytes go back.
  std::size_t n = bit_count_ >> 3;
  std::size_t mine = static_cast<std::size_t>(c.in - c.in_start);
  if (n > mine) n = mine;
  c.in -= n;
  bit_count_ -= static_cast<unsigned>(n * 8);
  bit_buffer_ &= bit_count_ == 0 ? 0 : ~std::uint64_t{0} >> (64 - bit_count_);
}

int RawInflate::DynamicTables() {
  if (lengths_[256] == 0) return Fail();  // no end-of-block code
  if (!BuildHuffmanTable(CodeKind::kLitLen, lengths_, lit_codes_, lit_dynamic_)) return Fail();
  if (!BuildHuffmanTable(CodeKind::kDistance, lengths_ + lit_codes_, dist_codes_,
                         dist_dynamic_)) {
    return Fail();
  }
  lit_table_ = lit_dynamic_;
  dist_table_ = dist_dynamic_;
  mode_ = Mode::kSymbol;
  return kOk;
}

int RawInflate::Run(Cursor& c) {
  for (;;) {
    switch (mode_) {
      case Mode::kBlockHeader: {
        if (last_block_) {
          Take(bit_count_ & 7);
          mode_ = Mode::kDone;
          return kStreamEnd;
        }
        if (!Need(c, 3)) return kOk;
        last_block_ = Take(1) != 0;
        unsigned type = Take(2);
        if (type == 0) {
          mode_ = Mode::kStoredHeader;
        } else if (type == 1) {
          lit_table_ = lit_fixed_;
          dist_table_ = dist_fixed_;
          mode_ = Mode::kSymbol;
        } else if (type == 2) {
          mode_ = Mode::kTableHeader;
        } else {
          return Fail();
        }
        break;
      }

      case Mode::kStoredHeader: {
        Take(bit_count_ & 7);
        if (!Need(c, 32)) return kOk;
        unsigned lengths = Take(32);
        if ((lengths & 0xffff) != ((lengths >> 16) ^ 0xffff)) return Fail();
        length_ = lengths & 0xffff;
        mode_ = Mode::kStoredCopy;
        break;
      }

      case Mode::kStoredCopy:
        while (length_ > 0) {
          if (c.out == c.out_end) return kOk;
          if (bit_count_ >= 8) {  // not reached while the bit buffer is kept short
            *c.out++ = static_cast<unsigned char>(Take(8));
            --length_;
            continue;
          }
          if (c.in == c.in_end) return kOk;
          std::size_t n = length_;
          if (n > static_cast<std::size_t>(c.in_end - c.in)) n = c.in_end - c.in;
          if (n > static_cast<std::size_t>(c.out_end - c.out)) n = c.out_end - c.out;
          std::memcpy(c.out, c.in, n);
          c.in += n;
          c.out += n;
          length_ -= static_cast<unsigned>(n);
        }
        mode_ = Mode::kBlockHeader;
        break;

      case Mode::kTableHeader:
        if (!Need(c, 14)) return kOk;
        lit_codes_ = Take(5) + 257;
        dist_codes_ = Take(5) + 1;
        cl_codes_ = Take(4) + 4;
        if (lit_codes_ > 286 || dist_codes_ > 30) return Fail();
        lengths_read_ = 0;
        mode_ = Mode::kCodeLengthLengths;
        break;

      case Mode::kCodeLengthLengths:
        while (lengths_read_ < cl_codes_) {
          if (!Need(c, 3)) return kOk;
          lengths_[kCodeLengthOrder[lengths_read_++]] = static_cast<std::uint8_t>(Take(3));
        }
        while (lengths_read_ < 19) lengths_[kCodeLengthOrder[lengths_read_++]] = 0;
        if (!BuildHuffmanTable(CodeKind::kCodeLengths, lengths_, 19, code_len_table_)) {
          return Fail();
        }
        lengths_read_ = 0;
        mode_ = Mode::kCodeLengths;
        break;

      case Mode::kCodeLengths: {
        const unsigned total = lit_codes_ + dist_codes_;
        while (lengths_read_ < total) {
          std::uint32_t e;
          if (!Lookup(c, code_len_table_, kCodeLenTableBits, &e)) return kOk;
          unsigned sym = EntryValue(e);
          unsigned code = EntryCodeBits(e);
          if (sym < 16) {
            Take(code);
            lengths_[lengths_read_++] = static_cast<std::uint8_t>(sym);
            continue;
          }
          unsigned extra = sym == 16 ? 2 : sym == 17 ? 3 : 7;
          if (!Need(c, code + extra)) return kOk;
          Take(code);
          std::uint8_t value = 0;
          unsigned repeat;
          if (sym == 16) {
            if (lengths_read_ == 0) return Fail();  // nothing to repeat
            value = lengths_[lengths_read_ - 1];
            repeat = 3 + Take(2);
          } else if (sym == 17) {
            repeat = 3 + Take(3);
          } else {
            repeat = 11 + Take(7);
          }
          if (lengths_read_ + repeat > total) return Fail();
          while (repeat-- > 0) lengths_[lengths_read_++] = value;
        }
        if (DynamicTables() != kOk) return kDataError;
        break;
      }

      case Mode::kSymbol: {
        if (c.in_end - c.in >= 8 && c.out < c.out_end) {
          FastLoop(c);
          if (mode_ != Mode::kSymbol) break;
          if (c.in_end - c.in >= 8 && c.out < c.out_end) break;
        }
        std::uint32_t e;
        if (!Lookup(c, lit_table_, kLitLenTableBits, &e)) return kOk;
        if (e & kEntryLiteral) {
          Take(EntryCodeBits(e));
          literal_ = EntryValue(e);
          mode_ = Mode::kLiteral;
          break;
        }
        if (e & kEntryEndOfBlock) {
          Take(EntryCodeBits(e));
          mode_ = Mode::kBlockHeader;
          break;
        }
        if (e & kEntryInvalid) return Fail();
        if (!Need(c, EntryDropBits(e))) return kOk;
        length_ = EntryAmount(e, bit_buffer_);
        Take(EntryDropBits(e));
        mode_ = Mode::kDistance;
        break;
      }

      case Mode::kLiteral:
        if (c.out == c.out_end) return kOk;
        *c.out++ = static_cast<unsigned char>(literal_);
        mode_ = Mode::kSymbol;
        break;

      case Mode::kDistance: {
        std::uint32_t e;
        if (!Lookup(c, dist_table_, kDistTableBits, &e)) return kOk;
        if (e & kEntryInvalid) return Fail();
        if (!Need(c, EntryDropBits(e))) return kOk;
        distance_ = EntryAmount(e, bit_buffer_);
        Take(EntryDropBits(e));
        mode_ = Mode::kMatch;
        break;
      }

      case Mode::kMatch: {
        if (c.out == c.out_end) return kOk;
        if (distance_ > static_cast<std::size_t>(c.out - c.history_begin)) return Fail();
        unsigned n = length_;
        if (n > static_cast<std::size_t>(c.out_end - c.out)) {
          n = static_cast<unsigned>(c.out_end - c.out);
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
void RawInflate::FastLoop(Cursor& c) {
  const std::uint32_t* lit = lit_table_;
  const std::uint32_t* dist = dist_table_;
  std::uint64_t bits = bit_buffer_;
  unsigned count = bit_count_;
  const unsigned char* in = c.in;
  const unsigned char* const in_last = c.in_end - 8;
  unsigned char* out = c.out;
  unsigned char* const out_end = c.out_end;
  const unsigned char* const history_begin = c.history_begin;

  while (in <= in_last && out < out_end) {
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
    if (distance > static_cast<std::size_t>(out - history_begin)) {
      mode_ = Mode::kBad;
      break;
    }
    std::size_t room = static_cast<std::size_t>(out_end - out);
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
  bit_buffer_ = bits;
  bit_count_ = count;
  ReturnWholeBytes(c);
}

}  // namespace detail
}  // namespace ownzip
