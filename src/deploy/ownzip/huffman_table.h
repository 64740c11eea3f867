// Decoding tables for the Huffman codes of a deflate stream.
//
// One 32-bit entry resolves a code in one lookup (two for codes longer than the primary
// table's index): the bits to drop for the whole symbol, the extra bits of a length or
// distance included, so the decoder never looks the base values up separately.
#ifndef LAUNCHER_DEPLOY_OWNZIP_HUFFMAN_TABLE_H
#define LAUNCHER_DEPLOY_OWNZIP_HUFFMAN_TABLE_H

#include <cstdint>

namespace ownzip {

// Entry layout:
//   bits 0-4    bits to drop: code length plus extra bits (a subtable link: the primary
//               index width)
//   bits 8-11   code length, where the extra bits start (a subtable link: the width of
//               the subtable's index)
//   bits 12-15  kind flags below; none set means a length or distance
//   bits 16-31  literal byte, code-length symbol, base length or distance, or the
//               subtable's first slot
constexpr std::uint32_t kEntryLiteral = 0x1000;
constexpr std::uint32_t kEntrySubtable = 0x2000;
constexpr std::uint32_t kEntryEndOfBlock = 0x4000;
constexpr std::uint32_t kEntryInvalid = 0x8000;

inline unsigned EntryDropBits(std::uint32_t e) { return e & 31; }
inline unsigned EntryCodeBits(std::uint32_t e) { return (e >> 8) & 15; }
inline unsigned EntryValue(std::uint32_t e) { return e >> 16; }

// Primary index widths, and table sizes large enough for any complete code over the
// alphabet with codes of up to 15 bits (found by exhaustive count).
constexpr unsigned kLitLenTableBits = 11;
constexpr unsigned kLitLenTableSize = 2342;  // 288 symbols
constexpr unsigned kDistTableBits = 8;
constexpr unsigned kDistTableSize = 402;  // 32 symbols
constexpr unsigned kCodeLenTableBits = 7;  // code-length codes are at most 7 bits
constexpr unsigned kCodeLenTableSize = 1u << kCodeLenTableBits;

enum class CodeKind { kCodeLengths, kLitLen, kDistance };

// Builds the table for `count` code lengths (0 = symbol unused). Refuses what zlib's
// inflate refuses: an over-subscribed set, and an incomplete one unless it is a single
// code of one bit for literals/lengths or distances. A set without any code is taken:
// every lookup then yields an invalid entry (a code-length set without codes reads as
// length 0 of one bit each, as zlib reads it).
bool BuildHuffmanTable(CodeKind kind, const std::uint8_t* lengths, unsigned count,
                       std::uint32_t* table);

}  // namespace ownzip

#endif
