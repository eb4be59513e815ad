// Checking archives the zip engine wrote: a strict reading of their structure
// (every offset counted from the file's start, every local header agreeing with
// its central record), their content as the unzip engine library extracts it, and
// natively the verdicts of Info-ZIP unzip, 7-Zip and Python's zipfile.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "zipformat/records.h"

namespace engines::zip::testing {

struct InspectedEntry {
  std::string name;
  std::string comment;
  zipformat::CentralHeader central;
  zipformat::LocalHeader local;
};

struct InspectedArchive {
  std::vector<InspectedEntry> entries;
  std::string comment;
  std::uint32_t firstLocalHeader = 0;  // where the entries begin: the prefix length
  std::vector<std::string> problems;   // empty for a sound archive

  [[nodiscard]] std::vector<std::string> Names() const;
  [[nodiscard]] const InspectedEntry* Find(const std::string& name) const;
};

[[nodiscard]] InspectedArchive Inspect(const std::filesystem::path& archive);

// Every file the unzip engine library extracts, by its "/"-separated name.
[[nodiscard]] std::map<std::string, std::string> ExtractWithUnzipEngine(const std::filesystem::path& archive,
                                                                       const std::string& password = {});

// True when the host's zip tools can be run (native builds).
[[nodiscard]] bool PeerToolsAvailable();

// Runs unzip -t, 7z t and Python's testzip() on the archive, and Python's reading
// of every entry's CRC-32; the failures in words, empty when all agree.
[[nodiscard]] std::vector<std::string> PeerVerdicts(const std::filesystem::path& archive,
                                                   const std::map<std::string, std::string>& expectedContent,
                                                   const std::string& password = {});

[[nodiscard]] std::vector<std::byte> ReadBytes(const std::filesystem::path& path);

}  // namespace engines::zip::testing
