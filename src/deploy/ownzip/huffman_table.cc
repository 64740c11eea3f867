#include "deploy/ownzip/huffman_table.h"

namespace ownzip {

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

std::uint32_t MakeEntry(unsigned value, std::uint32_t flags, unsigned codeBits,
                        unsigned dropBits) {
  return (static_cast<std::uint32_t>(value) << 16) | flags | (codeBits << 8) | dropBits;
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
  unsigned tableBits = kCodeLenTableBits;
  unsigned tableSize = kCodeLenTableSize;
  if (kind == CodeKind::kLitLen) {
    tableBits = kLitLenTableBits;
    tableSize = kLitLenTableSize;
  } else if (kind == CodeKind::kDistance) {
    tableBits = kDistTableBits;
    tableSize = kDistTableSize;
  }
  const unsigned primary = 1u << tableBits;

  unsigned lengthCount[kMaxCodeBits + 1] = {};
  for (unsigned sym = 0; sym < count; ++sym) {
    if (lengths[sym] > kMaxCodeBits) return false;
    ++lengthCount[lengths[sym]];
  }
  unsigned max = kMaxCodeBits;
  while (max >= 1 && lengthCount[max] == 0) --max;

  // Slots no code reaches (only in the sets zlib lets through incomplete) fail one bit in.
  std::uint32_t unused = MakeEntry(0, kEntryInvalid, 1, 1);
  if (max == 0) {
    if (kind == CodeKind::kCodeLengths) unused = MakeEntry(0, 0, 1, 1);
    for (unsigned i = 0; i < primary; ++i) table[i] = unused;
    return true;
  }
  int left = 1;
  for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
    left = (left << 1) - static_cast<int>(lengthCount[len]);
    if (left < 0) return false;  // over-subscribed
  }
  if (left > 0 && (kind == CodeKind::kCodeLengths || max != 1)) return false;  // incomplete
  for (unsigned i = 0; i < primary; ++i) table[i] = unused;

  // Symbols in canonical order: by code length, then by symbol.
  unsigned offset[kMaxCodeBits + 2] = {};
  for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
    offset[len + 1] = offset[len] + lengthCount[len];
  }
  std::uint16_t sorted[288];
  for (unsigned sym = 0; sym < count; ++sym) {
    if (lengths[sym] != 0) sorted[offset[lengths[sym]]++] = static_cast<std::uint16_t>(sym);
  }
  unsigned total = offset[kMaxCodeBits + 1];

  unsigned code = 0;
  unsigned previousLength = 0;
  unsigned nextFree = primary;
  unsigned subPrefix = primary;  // none yet
  unsigned subStart = 0;
  unsigned subBits = 0;
  for (unsigned k = 0; k < total; ++k) {
    unsigned sym = sorted[k];
    unsigned len = lengths[sym];
    if (k > 0) code = (code + 1) << (len - previousLength);
    previousLength = len;
    unsigned rev = Reverse(code, len);
    std::uint32_t entry = SymbolEntry(kind, sym, len);
    if (len <= tableBits) {
      for (unsigned i = rev; i < primary; i += 1u << len) table[i] = entry;
    } else {
      unsigned prefix = rev & (primary - 1);
      if (prefix != subPrefix) {
        // Wide enough for every code that shares this prefix (they follow in order).
        subBits = len - tableBits;
        int room = 1 << subBits;
        while (tableBits + subBits < max) {
          room -= static_cast<int>(lengthCount[tableBits + subBits]);
          if (room <= 0) break;
          ++subBits;
          room <<= 1;
        }
        subStart = nextFree;
        nextFree += 1u << subBits;
        if (nextFree > tableSize) return false;  // cannot happen for a valid set
        table[prefix] = MakeEntry(subStart, kEntrySubtable, subBits, tableBits);
        subPrefix = prefix;
      }
      for (unsigned i = rev >> tableBits; i < (1u << subBits); i += 1u << (len - tableBits)) {
        table[subStart + i] = entry;
      }
    }
    --lengthCount[len];  // what is left of this length, for sizing later subtables
  }
  return true;
}

}  // namespace ownzip
