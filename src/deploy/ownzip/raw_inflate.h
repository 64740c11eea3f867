// A streaming decoder of raw deflate data (no zlib or gzip wrapper).
//
// It accepts exactly the streams zlib's raw inflate accepts, hands out the same bytes
// and, call for call, consumes as much input, fills as much output and gives the same
// result, so a reader built on it returns the same counts as one built on zlib. Input
// may arrive split anywhere and output may be taken in pieces of any size. All memory
// is inside the object: make it once and reset() it for every stream.
#ifndef LAUNCHER_DEPLOY_OWNZIP_RAW_INFLATE_H
#define LAUNCHER_DEPLOY_OWNZIP_RAW_INFLATE_H

#include <cstddef>
#include <cstdint>

#include "deploy/ownzip/huffman_table.h"

namespace ownzip {

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

  void reset();

  // Decodes from `*in` (`*inSize` bytes) into `*out` (room for `*outSize` bytes) and
  // advances all four. Stops when the input runs out, when the next symbol needs
  // output and none is left, at the end of the final block or at an error. After the
  // end, what follows in the input is not touched; after an error every call fails.
  int inflate(const unsigned char** in, std::size_t* inSize, unsigned char** out,
              std::size_t* outSize);

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

  // Where one inflate call stands: the input and the decoder's own output span.
  struct Cursor {
    const unsigned char* in;
    const unsigned char* inEnd;
    const unsigned char* inStart;
    unsigned char* out;
    unsigned char* outEnd;
    const unsigned char* historyBegin;  // the earliest byte a match may copy
  };

  int run(Cursor& c);
  void fastLoop(Cursor& c);
  bool pullByte(Cursor& c);
  bool need(Cursor& c, unsigned bits);
  bool lookup(Cursor& c, const std::uint32_t* table, unsigned tableBits, std::uint32_t* e);
  unsigned take(unsigned bits);
  void returnWholeBytes(Cursor& c);
  int dynamicTables();
  void slideHistory();
  int fail() {
    mode_ = Mode::kBad;
    return kDataError;
  }

  Mode mode_ = Mode::kBlockHeader;
  bool lastBlock_ = false;
  std::uint64_t bitBuffer_ = 0;
  unsigned bitCount_ = 0;

  // Block and symbol state carried from one call to the next.
  unsigned length_ = 0;    // of a stored block, or of the match under way
  unsigned distance_ = 0;  // of the match under way
  unsigned literal_ = 0;
  unsigned litCodes_ = 0, distCodes_ = 0, codeLengthCodes_ = 0, lengthsRead_ = 0;
  const std::uint32_t* litTable_ = nullptr;
  const std::uint32_t* distTable_ = nullptr;

  // Output history: decoding goes into window_, which keeps at least the last 32 KiB
  // before the write position; each call copies its bytes out to the caller.
  // `history_` counts the valid bytes before `writePos_` (matches may reach that far).
  std::size_t writePos_ = 0;
  std::size_t history_ = 0;

  std::uint8_t lengths_[320];
  std::uint32_t codeLengthTable_[kCodeLenTableSize];
  std::uint32_t litDynamic_[kLitLenTableSize];
  std::uint32_t distDynamic_[kDistTableSize];
  std::uint32_t litFixed_[kLitLenTableSize];
  std::uint32_t distFixed_[kDistTableSize];

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

}  // namespace ownzip

#endif
