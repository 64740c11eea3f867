// Builds zip archives for tests, byte by byte, with room for damage: a
// stored CRC or size that does not match the data.
#ifndef LAUNCHER_TESTS_DEPLOY_ZIP_BUILDER_H
#define LAUNCHER_TESTS_DEPLOY_ZIP_BUILDER_H

#include <zlib.h>

#include <cstdint>
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
        deflated(deflate),
        crc(storedCrc) {}

  std::string name;
  std::string data;
  uint32_t dosDate = kTestStamp;
  bool deflated = true;
  std::optional<uint32_t> crc;               // stored instead of the real CRC
  std::optional<uint32_t> uncompressedSize;  // stored instead of the real size
  bool utf8Name = false;                      // flag bit 11: the name is UTF-8
};

struct BuiltZip {
  std::string bytes;
  std::vector<size_t> localHeaderOffsets;
};

namespace zip_builder_detail {

inline void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

inline void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

inline std::string DeflateRaw(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
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

}  // namespace zip_builder_detail

inline BuiltZip BuildZip(const std::vector<ZipEntrySpec>& entries) {
  using zip_builder_detail::Put16;
  using zip_builder_detail::Put32;
  BuiltZip zip;
  std::string central;
  for (const ZipEntrySpec& entry : entries) {
    const std::string stored =
        entry.deflated ? zip_builder_detail::DeflateRaw(entry.data) : entry.data;
    const uint32_t crc = entry.crc.value_or(static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
              static_cast<uInt>(entry.data.size()))));
    const uint32_t size = entry.uncompressedSize.value_or(static_cast<uint32_t>(entry.data.size()));
    const unsigned method = entry.deflated ? 8 : 0;
    const uint32_t offset = static_cast<uint32_t>(zip.bytes.size());
    zip.localHeaderOffsets.push_back(offset);

    std::string& local = zip.bytes;
    Put32(local, 0x04034b50);
    Put16(local, 20);  // version needed
    const unsigned flags = entry.utf8Name ? 0x800 : 0;
    Put16(local, flags);
    Put16(local, method);
    Put32(local, entry.dosDate);
    Put32(local, crc);
    Put32(local, static_cast<uint32_t>(stored.size()));
    Put32(local, size);
    Put16(local, static_cast<unsigned>(entry.name.size()));
    Put16(local, 0);  // extra field
    local += entry.name;
    local += stored;

    Put32(central, 0x02014b50);
    Put16(central, 20);  // made by
    Put16(central, 20);  // version needed
    Put16(central, flags);
    Put16(central, method);
    Put32(central, entry.dosDate);
    Put32(central, crc);
    Put32(central, static_cast<uint32_t>(stored.size()));
    Put32(central, size);
    Put16(central, static_cast<unsigned>(entry.name.size()));
    Put16(central, 0);  // extra field
    Put16(central, 0);  // comment
    Put16(central, 0);  // disk
    Put16(central, 0);  // internal attributes
    Put32(central, 0);  // external attributes
    Put32(central, offset);
    central += entry.name;
  }
  const uint32_t centralOffset = static_cast<uint32_t>(zip.bytes.size());
  zip.bytes += central;
  Put32(zip.bytes, 0x06054b50);
  Put16(zip.bytes, 0);
  Put16(zip.bytes, 0);
  Put16(zip.bytes, static_cast<unsigned>(entries.size()));
  Put16(zip.bytes, static_cast<unsigned>(entries.size()));
  Put32(zip.bytes, static_cast<uint32_t>(central.size()));
  Put32(zip.bytes, centralOffset);
  Put16(zip.bytes, 0);  // comment
  return zip;
}

#endif
