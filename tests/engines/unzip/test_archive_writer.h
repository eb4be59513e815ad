// A small zip writer for the tests: stored or deflated entries, traditional
// encryption, data descriptors, any raw name, host system, attributes and
// comments, and headers that lie on purpose. It lets the same tests run natively
// and under Wine, where the zip tools of the host are out of reach.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace engines::unzip::testing {

// 2021-06-15 10:20:30 as a DOS date-time.
inline constexpr std::uint32_t DefaultDosDateTime = (((2021u - 1980) << 9 | 6 << 5 | 15) << 16) | (10u << 11 | 20 << 5 | 15);

[[nodiscard]] constexpr std::uint32_t DosDateTime(unsigned year, unsigned month, unsigned day, unsigned hour,
                                                  unsigned minute, unsigned second) {
  return (((year - 1980) << 9 | month << 5 | day) << 16) | (hour << 11 | minute << 5 | second / 2);
}

enum class StoreAs { Stored, Deflated };
enum class Descriptor { None, AfterData };

struct TestEntry {
  std::string name;
  std::string content;
  StoreAs storeAs = StoreAs::Deflated;
  std::string password;  // non-empty: traditional encryption
  Descriptor descriptor = Descriptor::None;
  std::uint16_t extraFlags = 0;
  std::uint8_t hostSystem = 0;
  std::uint8_t versionMadeBy = 20;
  std::uint32_t dosDateTime = DefaultDosDateTime;
  std::uint32_t externalAttributes = 0;
  std::string comment;
  // Lies told by the headers, to test how the engine copes.
  std::optional<std::uint16_t> declaredMethod;
  std::optional<std::uint32_t> declaredUncompressedSize;
  std::optional<std::uint32_t> declaredCrc;
};

struct BuiltArchive {
  std::vector<std::byte> bytes;
  std::vector<std::size_t> dataOffsets;  // where each entry's stored bytes start
};

[[nodiscard]] BuiltArchive BuildArchive(const std::vector<TestEntry>& entries);

// A one-entry archive of `size` bytes made of a repeating text, deflated while it
// is written, so that its size is not bounded by memory.
void WriteLargeArchive(const std::filesystem::path& path, const std::string& name, std::uint64_t size);

void WriteBytes(const std::filesystem::path& path, const std::vector<std::byte>& bytes);
[[nodiscard]] std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);

}  // namespace engines::unzip::testing
