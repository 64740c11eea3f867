// Builds zip archives for tests, byte by byte, the way a plain zip tool
// writes them, with room for damage: any stored CRC, size, method or flag
// can differ from the truth, a stub can sit in front, and the end record
// can carry another count or a zip64 record.
#ifndef LAUNCHER_TESTS_SUPPORT_ZIP_BUILDER_H
#define LAUNCHER_TESTS_SUPPORT_ZIP_BUILDER_H

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// 2021-06-15 12:34:56 as an MS-DOS date/time.
constexpr uint32_t kTestStamp = ((2021u - 1980u) << 25) | (6u << 21) | (15u << 16) |
                                (12u << 11) | (34u << 5) | (56u / 2u);

struct ZipEntrySpec {
  ZipEntrySpec(std::string entryName, std::string entryData, uint32_t stamp = kTestStamp,
               bool deflate = true, std::optional<uint32_t> storedCrc = std::nullopt)
      : name(std::move(entryName)),
        data(std::move(entryData)),
        dosDate(stamp),
        method(deflate ? 8 : 0),
        crc(storedCrc) {}

  std::string name;
  std::string data;
  uint32_t dosDate = kTestStamp;
  unsigned method = 8;       // 8 deflates the data; any other is written, the data stored
  unsigned flags = 0;        // general-purpose flags
  bool utf8Name = false;     // adds flag bit 11: the name is UTF-8
  std::string centralExtra;  // extra field of the central record
  // Stored instead of the true values.
  std::optional<uint32_t> crc;
  std::optional<uint32_t> compressedSize;
  std::optional<uint32_t> uncompressedSize;
};

struct BuiltZip {
  std::string bytes;
  std::vector<size_t> localHeaderOffsets;  // into `bytes`, stub included
};

// Appends little-endian fields given as {value, width in bytes}.
inline void AppendLittleEndian(std::string& out,
                               std::initializer_list<std::pair<uint64_t, int>> fields) {
  for (const auto& field : fields) {
    for (int i = 0; i < field.second; ++i)
      out += static_cast<char>((field.first >> (8 * i)) & 0xFF);
  }
}

inline std::string DeflateRaw(const std::string& data, int level = 6,
                              int strategy = Z_DEFAULT_STRATEGY) {
  z_stream stream{};
  deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, strategy);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

inline uint32_t Crc32Of(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

struct ZipBuilder {
  std::vector<ZipEntrySpec> entries;
  std::string prefix;   // bytes in front of the archive, as a self-extractor's stub
  long endCount = -1;   // entry count written to the end record; -1 for the true one
  bool zip64End = false;
  // Added (mod 2^64) to the directory offset and subtracted from its size in
  // the zip64 end record: the sum stays right, the parts become absurd.
  uint64_t zip64Skew = 0;

  ZipEntrySpec& Add(std::string name, std::string data, unsigned method = 8) {
    entries.emplace_back(std::move(name), std::move(data));
    entries.back().method = method;
    return entries.back();
  }

  BuiltZip Build() const {
    BuiltZip zip;
    zip.bytes = prefix;
    std::string central;
    for (const ZipEntrySpec& e : entries) {
      const std::string stored = e.method == 8 ? DeflateRaw(e.data) : e.data;
      const uint64_t crc = e.crc.value_or(Crc32Of(e.data));
      const uint64_t size = e.compressedSize.value_or(static_cast<uint32_t>(stored.size()));
      const uint64_t fullSize = e.uncompressedSize.value_or(static_cast<uint32_t>(e.data.size()));
      const uint64_t flags = e.flags | (e.utf8Name ? 0x800u : 0u);
      // Offsets in the archive count from its start, after any stub.
      const uint64_t offset = zip.bytes.size() - prefix.size();
      zip.localHeaderOffsets.push_back(zip.bytes.size());
      AppendLittleEndian(zip.bytes, {{0x04034b50, 4}, {20, 2}, {flags, 2}, {e.method, 2},
                                     {e.dosDate, 4}, {crc, 4}, {size, 4}, {fullSize, 4},
                                     {e.name.size(), 2}, {0, 2}});
      zip.bytes += e.name + stored;
      AppendLittleEndian(central, {{0x02014b50, 4}, {20, 2}, {20, 2}, {flags, 2}, {e.method, 2},
                                   {e.dosDate, 4}, {crc, 4}, {size, 4}, {fullSize, 4},
                                   {e.name.size(), 2}, {e.centralExtra.size(), 2}, {0, 2},
                                   {0, 2}, {0, 2}, {0, 4}, {offset, 4}});
      central += e.name + e.centralExtra;
    }
    const uint64_t centralOffset = zip.bytes.size() - prefix.size();
    zip.bytes += central;
    uint64_t count = endCount < 0 ? entries.size() : static_cast<uint64_t>(endCount);
    if (zip64End) {
      const uint64_t record = zip.bytes.size();
      AppendLittleEndian(zip.bytes, {{0x06064b50, 4}, {44, 8}, {45, 2}, {45, 2}, {0, 4}, {0, 4},
                                     {count, 8}, {count, 8}, {central.size() - zip64Skew, 8},
                                     {centralOffset + zip64Skew, 8}});
      AppendLittleEndian(zip.bytes, {{0x07064b50, 4}, {0, 4}, {record, 8}, {1, 4}});
      count = 0xFFFF;
    }
    AppendLittleEndian(zip.bytes, {{0x06054b50, 4}, {0, 4}, {count & 0xFFFF, 2},
                                   {count & 0xFFFF, 2}, {central.size(), 4},
                                   {centralOffset, 4}, {0, 2}});
    return zip;
  }
};

inline BuiltZip BuildZip(const std::vector<ZipEntrySpec>& entries) {
  ZipBuilder builder;
  builder.entries = entries;
  return builder.Build();
}

#endif
