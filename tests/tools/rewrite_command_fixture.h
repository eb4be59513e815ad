// The fixture of the rename and copy tests: archives written byte by byte in a
// scratch folder, and what a fresh component lists of them afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/platform/test_machine.h"
#include "tests/tools/command_line_fixture.h"
#include "tests/zipbuilder/archive_bytes.h"
#include "zipbuilder/zip_builder.h"

namespace tools {

struct ListedEntry {
  std::string Name;  // as List gives it: "\" between folders
  std::uint32_t Crc32;
  std::uint32_t DosDateTime;
  friend bool operator==(const ListedEntry&, const ListedEntry&) = default;
};

class RewriteCommandFixture : public CommandLineFixture {
 protected:
  // Stored entries; a name ending in "/" is a folder entry.
  std::string WriteArchive(std::string_view fileName, const std::vector<zipbuilder::archive_bytes::Entry>& entries) {
    scratch.WriteFile(fileName, zipbuilder::archive_bytes::BuildArchive(entries));
    return scratch.PathOf(fileName);
  }

  [[nodiscard]] std::string Bytes(std::string_view fileName) const { return scratch.ReadFile(fileName).value_or(""); }

  // Folder entries included.
  [[nodiscard]] std::vector<ListedEntry> Listing(std::string_view fileName) const {
    zipbuilder::TZipBuilder component;
    component.SetUnattended(true);
    component.SetUseDirOnlyEntries(true);
    component.SetZipFileName(scratch.PathOf(fileName));
    std::vector<ListedEntry> listed;
    for (const auto& entry : component.DirEntries()) {
      listed.push_back({entry->FileName, entry->Crc32, entry->DosDateTime});
    }
    return listed;
  }

  [[nodiscard]] std::vector<std::string> Names(std::string_view fileName) const {
    std::vector<std::string> names;
    for (const ListedEntry& entry : Listing(fileName)) {
      names.push_back(entry.Name);
    }
    return names;
  }

  platform_test::ScratchFolder scratch;
};

}  // namespace tools
