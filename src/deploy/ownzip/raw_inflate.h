// A streaming decoder of raw deflate data (no zlib or gzip wrapper).
//
// It accepts exactly the streams zlib's raw inflate accepts, hands out the same bytes
// and, call for call, consumes as much input, fills as much output and gives the same
// result, so a reader built on it returns the same counts as one built on zlib. Input
// may arrive split anywhere and output may be taken in pieces of any size. All memory
// is inside the object: make it once and Reset() it for every stream.
#ifndef DEPLOY_OWNZIP_RAW_INFLATE_H_
#define DEPLOY_OWNZIP_RAW_INFLATE_H_

#include <cstddef>
#include <cstdint>

#include "deploy/ownzip/huffman_table.h"

namespace ownzip {
namespace detail {

class RawInflate {
 public:
  // Results, numerically zlib's Z_OK, Z_STREAM_END, Z_DATA_ERROR and Z_BUF_ERROR.
  static constexpr int kOk = 0;
  static constexpr int kStreamEnd = 1;
  static constexpr int kDataError = -3;
  static constexpr int kBufError = -5;  // no progress was possible

  RawInflate();
  RawInflate(const RawInflate&) = delete;
  RawInflate& operator=(const RawInflate&) = delete;

  void Reset();

  // Decodes from `*in` (`*in_size` bytes) into `*out` (room for `*out_size` bytes) and
  // advances all four. Stops when the input runs out, when the next symbol needs
  // output and none is left, at the end of the final block or at an error. After the
  // end, what follows in the input is not touched; after an error every call fails.
  int Inflate(const unsigned char** in, std::size_t* in_size, unsigned char** out,
              std::size_t* out_size);

 private:
  enum class Mode {
    kBlockHeader,
    kStoredHeader,
    kStoredCopy,
    kTableHeader,
    kCodeLengthLengths,
    kCodeLengths,
    kSymbol,
    kLiteral,
    kDistance,
    kMatch,
    kDone,
    kBad,
  };

  // Where one Inflate call stands: the input and the decoder's own output span.
  struct Cursor {
    const unsigned char* in;
    const unsigned char* in_end;
    const unsigned char* in_start;
    unsigned char* out;
    unsigned char* out_end;
    const unsigned char* history_begin;  // the earliest byte a match may copy
  };

  int Run(Cursor& c);
  void FastLoop(Cursor& c);
  bool PullByte(Cursor& c);
  bool Need(Cursor& c, unsigned bits);
  bool Lookup(Cursor& c, const std::uint32_t* table, unsigned table_bits, std::uint32_t* e);
  unsigned Take(unsigned bits);
  void ReturnWholeBytes(Cursor& c);
  int DynamicTables();
  void SlideHistory();
  int Fail() {
    mode_ = Mode::kBad;
    return kDataError;
  }

  Mode mode_ = Mode::kBlockHeader;
  bool last_block_ = false;
  std::uint64_t bit_buffer_ = 0;
  unsigned bit_count_ = 0;

  // Block and symbol state carried from one call to the next.
  unsigned length_ = 0;    // of a stored block, or of the match under way
  unsigned distance_ = 0;  // of the match under way
  unsigned literal_ = 0;
  unsigned lit_codes_ = 0, dist_codes_ = 0, cl_codes_ = 0, lengths_read_ = 0;
  const std::uint32_t* lit_table_ = nullptr;
  const std::uint32_t* dist_table_ = nullptr;

  // Output history: decoding goes into window_, which keeps at least the last 32 KiB
  // before the write position; each call copies its bytes out to the caller.
  // `history_` counts the valid bytes before `write_pos_` (matches may reach that far).
  std::size_t write_pos_ = 0;
  std::size_t history_ = 0;

  std::uint8_t lengths_[320];
  std::uint32_t code_len_table_[kCodeLenTableSize];
  std::uint32_t lit_dynamic_[kLitLenTableSize];
  std::uint32_t dist_dynamic_[kDistTableSize];
  std::uint32_t lit_fixed_[kLitLenTableSize];
  std::uint32_t dist_fixed_[kDistTableSize];

 public:
  static constexpr std::size_t kHistory = 32768;
  // Decoded between two slides of the history to the front; a slide moves 32 KiB.
  // From 32 to 256 KiB the speed stays the same (the copy out costs about 1%).
  static constexpr std::size_t kSpan = 64 * 1024;
  // Wide copies may write up to this far past the end of the span.
  static constexpr std::size_t kSlack = 64;

 private:
  unsigned char window_[kHistory + kSpan + kSlack];
};

}  // namespace detail
}  // namespace ownzip

#endif  // DEPLOY_OWNZIP_RAW_INFLATE_H_
