#include "tools/mkrebrander/zip_archive.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "tools/common/tool_paths.h"
#include "tools/mkrebrander/mkrebrander_messages.h"

namespace stamping {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

constexpr uint16_t kUtf8Names = 1 << 11;
constexpr uint32_t kMaxSize = 0xFFFFFFFF;  // beyond needs the 64-bit extension

uint32_t Crc32(uint32_t crc, const char* data, size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i)
    crc = table[(crc ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ crc >> 8;
  return ~crc;
}

void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

struct Record {
  uint32_t crc = 0, size = 0, offset = 0;
};

// The local header (`central` false) or the central directory's record.
std::string Header(const ZipEntry& entry, const Record& record, uint32_t dosTime, bool central) {
  std::string out;
  Put(out, central ? 0x02014b50 : 0x04034b50, 4);
  if (central) Put(out, 20, 2);  // made by: zip 2.0
  Put(out, 20, 2);               // needed: zip 2.0
  Put(out, kUtf8Names, 2);
  Put(out, 0, 2);  // stored
  Put(out, dosTime, 4);
  Put(out, record.crc, 4);
  Put(out, record.size, 4);
  Put(out, record.size, 4);
  Put(out, static_cast<uint32_t>(entry.name.size()), 2);
  Put(out, 0, 2);  // no extra field
  if (central) {
    Put(out, 0, 2);  // no comment
    Put(out, 0, 2);  // disk
    Put(out, 0, 2);  // internal attributes
    // Unix permissions in the high half, so that unzip keeps programs runnable.
    const uint32_t mode = entry.path.empty() ? 040755 : 0100755;
    Put(out, mode << 16 | (entry.path.empty() ? 0x10 : 0), 4);
    Put(out, record.offset, 4);
  }
  return out + entry.name;
}

uint32_t DosTime(std::time_t when) {
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &when);
#else
  gmtime_r(&when, &utc);
#endif
  if (utc.tm_year < 80) return 0x00210000;  // 1980-01-01, the earliest a zip holds
  return static_cast<uint32_t>((utc.tm_year - 80) << 25 | (utc.tm_mon + 1) << 21 |
                               utc.tm_mday << 16 | utc.tm_hour << 11 | utc.tm_min << 5 |
                               utc.tm_sec / 2);
}

// Reads the whole input in turns, handing each piece to `use`.
template <typename Use>
bool EachPiece(std::FILE* in, Use use) {
  std::vector<char> buffer(1 << 16);
  size_t count = 0;
  while ((count = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    if (!use(buffer.data(), count)) return false;
  }
  return !std::ferror(in);
}

}  // namespace

bool WriteZip(const std::string& archive, const std::vector<ZipEntry>& entries, std::time_t when,
              std::string& error) {
  File out(tool_files::OpenFile(archive, "wb"), std::fclose);
  const auto failed = [&](const std::string& path) {
    error = path + ": " + std::strerror(errno);
    return false;
  };
  if (!out) return failed(archive);
  const uint32_t dosTime = DosTime(when);
  std::vector<Record> records;
  uint64_t offset = 0;
  const auto write = [&](const char* data, size_t size) {
    offset += size;
    return std::fwrite(data, 1, size, out.get()) == size;
  };
  for (const ZipEntry& entry : entries) {
    Record record;
    record.offset = static_cast<uint32_t>(offset);
    File in(entry.path.empty() ? nullptr : tool_files::OpenFile(entry.path, "rb"), std::fclose);
    if (!entry.path.empty()) {
      if (!in) return failed(entry.path);
      uint64_t size = 0;
      const bool read = EachPiece(in.get(), [&](const char* data, size_t count) {
        record.crc = Crc32(record.crc, data, count);
        size += count;
        return true;
      });
      if (!read) return failed(entry.path);
      if (size > kMaxSize || offset + size > kMaxSize) {
        error = archive + ": " + mkrebrander_messages::kZipTooLarge;
        return false;
      }
      record.size = static_cast<uint32_t>(size);
      std::rewind(in.get());
    }
    const std::string header = Header(entry, record, dosTime, false);
    if (!write(header.data(), header.size())) return failed(archive);
    if (in && !EachPiece(in.get(), write)) return failed(archive);
    records.push_back(record);
  }
  const uint64_t directory = offset;
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string header = Header(entries[i], records[i], dosTime, true);
    if (!write(header.data(), header.size())) return failed(archive);
  }
  std::string end;
  Put(end, 0x06054b50, 4);
  Put(end, 0, 4);  // this disk, and where the directory starts
  Put(end, static_cast<uint32_t>(entries.size()), 2);
  Put(end, static_cast<uint32_t>(entries.size()), 2);
  Put(end, static_cast<uint32_t>(offset - directory), 4);
  Put(end, static_cast<uint32_t>(directory), 4);
  Put(end, 0, 2);  // no comment
  if (!write(end.data(), end.size()) || std::fflush(out.get()) != 0) return failed(archive);
  return std::fclose(out.release()) == 0 || failed(archive);
}

}  // namespace stamping
