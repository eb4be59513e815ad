// Archives built in memory for the zip format core's tests, and a source that
// reads them as a file would be read: counting reads, and failing where a test
// says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zipformat/read_at.h"
#include "zipformat/records.h"

namespace zipformat::testing_support {

enum class Descriptor : std::uint8_t { None, Signed, Unsigned };

struct TestEntry {
  std::string name;
  std::string data;  // stored as it is
  std::string extra;
  std::string comment;
  std::uint16_t flags = 0;
  Descriptor descriptor = Descriptor::None;  // sets general flag bit 3 when there is one
};

struct TestLayout {
  std::string prefix;  // bytes in front of the archive, as a stub
  // True: the offsets count from the file's start (a stub whose offsets were
  // adjusted); false: from the archive's start.
  bool offsetsIncludePrefix = false;
  std::string comment;
  std::optional<std::uint16_t> statedCommentLength;
  std::string trailer;  // behind the comment
};

struct BuiltArchive {
  std::string bytes;
  std::vector<std::int64_t> localHeaderPositions;  // in the file
  std::int64_t directoryStart = 0;                 // in the file
  std::int64_t endRecordOffset = 0;
};

[[nodiscard]] BuiltArchive BuildArchive(const std::vector<TestEntry>& entries, const TestLayout& layout = {});

// A central header with its variable parts.
[[nodiscard]] std::string CentralHeaderBytes(const TestEntry& entry, std::uint32_t localHeaderOffset);
// An end record with `comment` behind it.
[[nodiscard]] std::string EndRecordBytes(const EndRecord& record, std::string_view comment = {});

// Bytes read at offsets, as a file: reads are counted, and a read at or past
// `unreachableFrom` fails as a seek would.
class MemorySource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}

  [[nodiscard]] ReadAtFunction Reader();
  [[nodiscard]] std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
  [[nodiscard]] int Reads() const { return reads_; }

  // Offsets from here on cannot be reached.
  void UnreachableFrom(std::int64_t offset) { unreachableFrom_ = offset; }
  // Reads at `offset` give at most `count` bytes.
  void ShortReadAt(std::int64_t offset, std::size_t count) { shortRead_ = {offset, count}; }

 private:
  struct ShortRead {
    std::int64_t offset;
    std::size_t count;
  };
  std::string bytes_;
  int reads_ = 0;
  std::optional<std::int64_t> unreachableFrom_;
  std::optional<ShortRead> shortRead_;
};

}  // namespace zipformat::testing_support
