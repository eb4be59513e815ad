// Which entries a command's file specifications select.
//
// Rules (besides those of shared/wildcard.h: "*", "?", "\" = "/", ASCII case
// ignored):
//   - no specification selects every entry;
//   - a specification is matched against the whole entry name ("docs\*.txt",
//     "docs/readme.txt");
//   - a specification without a folder part is also matched against the name
//     part alone, so "readme.txt" selects "readme.txt" in every folder and
//     "*.txt" every text file, whether or not folder names are recreated;
//   - a specification ending in a separator selects everything below that folder
//     ("docs\" is "docs\*");
//   - a leading ".\" or "./" is ignored.
// Names are compared after decoding (entry_names.h), as the caller lists them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engines::unzip {

[[nodiscard]] bool SpecificationSelects(std::string_view specification, std::string_view entryName);

// The indices of `names` that any of `specifications` selects, in order; each
// specification that selects nothing is added to `unmatched`.
[[nodiscard]] std::vector<std::size_t> SelectEntries(const std::vector<std::string>& specifications,
                                                     const std::vector<std::string>& names,
                                                     std::vector<std::string>& unmatched);

}  // namespace engines::unzip
