// Files for the engine binding tests: a scratch folder that removes itself, and
// small zip archives and memory streams written with the engines' shared codecs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zipbuilder::testing_support {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] std::string PathOf(std::string_view relativeName) const;
  void WriteFile(std::string_view relativeName, std::string_view contents) const;
  [[nodiscard]] std::optional<std::string> ReadFile(std::string_view relativeName) const;
  void CreateFolder(std::string_view relativeName) const;

 private:
  std::string path_;
};

enum class EntryCompression { Stored, Deflated };

struct ArchiveEntry {
  std::string Name;  // with "/" between folders, as stored
  std::string Content;
  EntryCompression Compression = EntryCompression::Deflated;
};

// A whole archive: local headers and data, central directory, end record.
[[nodiscard]] std::string BuildArchive(const std::vector<ArchiveEntry>& entries);

// The memory stream format of the engines: method, CRC-32, raw deflate data.
[[nodiscard]] std::string BuildDeflatedMemoryStream(std::string_view content);

}  // namespace zipbuilder::testing_support
