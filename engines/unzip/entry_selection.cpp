#include "engines/unzip/entry_selection.h"

#include <algorithm>

#include "engines/shared/wildcard.h"

namespace engines::unzip {

using shared::IsFolderSeparator;

namespace {

std::string_view NamePart(std::string_view name) {
  const auto separator = std::find_if(name.rbegin(), name.rend(), IsFolderSeparator);
  return name.substr(static_cast<std::size_t>(name.rend() - separator));
}

std::string Normalised(std::string_view specification) {
  while (specification.size() >= 2 && specification[0] == '.' && IsFolderSeparator(specification[1])) {
    specification.remove_prefix(2);
  }
  std::string pattern(specification);
  if (!pattern.empty() && IsFolderSeparator(pattern.back())) {
    pattern.push_back('*');
  }
  return pattern;
}

bool HasFolderPart(std::string_view pattern) {
  return std::any_of(pattern.begin(), pattern.end(), IsFolderSeparator);
}

}  // namespace

bool SpecificationSelects(std::string_view specification, std::string_view entryName) {
  const std::string pattern = Normalised(specification);
  if (shared::MatchesWildcard(pattern, entryName)) {
    return true;
  }
  return !HasFolderPart(pattern) && shared::MatchesWildcard(pattern, NamePart(entryName));
}

std::vector<std::size_t> SelectEntries(const std::vector<std::string>& specifications,
                                       const std::vector<std::string>& names, std::vector<std::string>& unmatched) {
  std::vector<std::size_t> selected;
  if (specifications.empty()) {
    selected.resize(names.size());
    for (std::size_t index = 0; index < names.size(); ++index) {
      selected[index] = index;
    }
    return selected;
  }
  std::vector<bool> specificationUsed(specifications.size(), false);
  for (std::size_t index = 0; index < names.size(); ++index) {
    bool chosen = false;
    for (std::size_t spec = 0; spec < specifications.size(); ++spec) {
      if (SpecificationSelects(specifications[spec], names[index])) {
        specificationUsed[spec] = true;
        chosen = true;
      }
    }
    if (chosen) {
      selected.push_back(index);
    }
  }
  for (std::size_t spec = 0; spec < specifications.size(); ++spec) {
    if (!specificationUsed[spec]) {
      unmatched.push_back(specifications[spec]);
    }
  }
  return selected;
}

}  // namespace engines::unzip
