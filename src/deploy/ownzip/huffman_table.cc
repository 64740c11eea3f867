#include "deploy/ownzip/huffman_table.h"

namespace ownzip {
namespace detail {

namespace {

constexpr unsigned kMaxCodeBits = 15;

const std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                       15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
const std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const std::uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,
                                     17,   25,   33,   49,   65,   97,    129,   193,
                                     257,  385,  513,  769,  1025, 1537,  2049,  3073,
                                     4097, 6145, 8193, 12289, 16385, 24577};
const std::uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                     6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

std::uint32_t MakeEntry(unsigned value, std::uint32_t flags, unsigned code_bits,
                        unsigned drop_bits) {
  return (static_cast<std::uint32_t>(value) << 16) | flags | (code_bits << 8) | drop_bits;
}

// The entry a symbol's code of `bits` bits resolves to.
std::uint32_t SymbolEntry(CodeKind kind, unsigned sym, unsigned bits) {
  switch (kind) {
    case CodeKind::kCodeLengths:
      return MakeEntry(sym, 0, bits, bits);
    case CodeKind::kLitLen:
      if (sym < 256) return MakeEntry(sym, kEntryLiteral, bits, bits);
      if (sym == 256) return MakeEntry(0, kEntryEndOfBlock, bits, bits);
      if (sym < 286) {
        return MakeEntry(kLengthBase[sym - 257], 0, bits, bits + kLengthExtra[sym - 257]);
      }
      break;  // 286 and 287 have codes in the fixed set but stand for nothing
    case CodeKind::kDistance:
      if (sym < 30) return MakeEntry(kDistBase[sym], 0, bits, bits + kDistExtra[sym]);
      break;  // 30 and 31 likewise
  }
  return MakeEntry(0, kEntryInvalid, bits, bits);
}

unsigned Reverse(unsigned code, unsigned bits) {
  unsigned r = 0;
  for (unsigned i = 0; i < bits; ++i, code >>= 1) r = (r << 1) | (code & 1);
  return r;
}

}  // namespace

bool BuildHuffmanTable(CodeKind kind, const std::uint8_t* lengths, unsigned count,
                       std::uint32_t* table) {
  unsigned table_bits = kCodeLenTableBits;
  unsigned table_size = kCodeLenTableSize;
  if (kind == CodeKind::kLitLen) {
    table_bits = kLitLenTableBits;
    table_size = kLitLenTableSize;
  } else if (kind == CodeKind::kDistance) {
    table_bits = kDistTableBits;
    table_size = kDistTableSize;
  }
  const unsigned primary = 1u << table_bits;

  unsigned len_count[kMaxCodeBits + 1] = {};
  for (unsigned sym = 0; sym < count; ++sym) {
    if (lengths[sym] > kMaxCodeBits) return false;
    ++len_count[lengths[sym]];
  }
  unsigned max = kMaxCodeBits;
  while (max >= 1 && len_count[max] == 0) --max;

  // Slots no code reaches (only in the sets zlib lets through incomplete) fail one bit in.
  std::uint32_t unused = MakeEntry(0, kEntryInvalid, 1, 1);
  if (max == 0) {
    if (kind == CodeKind::kCodeLengths) unused = MakeEntry(0, 0, 1, 1);
    for (unsigned i = 0; i < primary; ++i) table[i] = unused;
    return true;
  }
  int left = 1;
  for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
    left = (left << 1) - static_cast<int>(len_count[len]);
    if (left < 0) return false;  // over-subscribed
  }
  if (left > 0 && (kind == CodeKind::kCodeLengths || max != 1)) return false;  // incomplete
  for (unsigned i = 0; i < primary; ++i) table[i] = unused;

  // Symbols in canonical order: by code length, then by symbol.
  unsigned offset[kMaxCodeBits + 2] = {};
  for (unsigned len = 1; len <= kMaxCodeBits; ++len) offset[len + 1] = offset[len] + len_count[len];
  std::uint16_t sorted[288];
  for (unsigned sym = 0; sym < count; ++sym) {
    if (lengths[sym] != 0) sorted[offset[lengths[sym]]++] = static_cast<std::uint16_t>(sym);
  }
  unsigned total = offset[kMaxCodeBits + 1];

  unsigned code = 0;
  unsigned prev_len = 0;
  unsigned next_free = primary;
  unsigned sub_prefix = primary;  // none yet
  unsigned sub_start = 0;
  unsigned sub_bits = 0;
  for (unsigned k = 0; k < total; ++k) {
    unsigned sym = sorted[k];
    unsigned len = lengths[sym];
    if (k > 0) code = (code + 1) << (len - prev_len);
    prev_len = len;
    unsigned rev = Reverse(code, len);
    std::uint32_t entry = SymbolEntry(kind, sym, len);
    if (len <= table_bits) {
      for (unsigned i = rev; i < primary; i += 1u << len) table[i] = entry;
    } else {
      unsigned prefix = rev & (primary - 1);
      if (prefix != sub_prefix) {
        // Wide enough for every code that shares this prefix (they follow in order).
        sub_bits = len - table_bits;
        int room = 1 << sub_bits;
        while (table_bits + sub_bits < max) {
          room -= static_cast<int>(len_count[table_bits + sub_bits]);
          if (room <= 0) break;
          ++sub_bits;
          room <<= 1;
        }
        sub_start = next_free;
        next_free += 1u << sub_bits;
        if (next_free > table_size) return false;  // cannot happen for a valid set
        table[prefix] = MakeEntry(sub_start, kEntrySubtable, sub_bits, table_bits);
        sub_prefix = prefix;
      }
      for (unsigned i = rev >> table_bits; i < (1u << sub_bits); i += 1u << (len - table_bits)) {
        table[sub_start + i] = entry;
      }
    }
    --len_count[len];  // what is left of this length, for sizing later subtables
  }
  return true;
}

}  // namespace detail
}  // namespace ownzip
