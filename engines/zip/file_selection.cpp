#include "engines/zip/file_selection.h"

#include <algorithm>
#include <set>

#include "engines/shared/wildcard.h"
#include "platform/files.h"

namespace engines::zip {

namespace {

using shared::EntryKind;
using shared::IsFolderSeparator;
using shared::MatchesWildcard;

constexpr std::string_view MatchEverything = "*";

std::string FoldedPath(std::string_view path) {
  std::string folded(path);
  for (char& character : folded) {
    if (character >= 'A' && character <= 'Z') {
      character = static_cast<char>(character - 'A' + 'a');
    } else if (character == '\\') {
      character = '/';
    }
  }
  while (folded.size() > 1 && folded.back() == '/') {
    folded.pop_back();
  }
  return folded;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) {
    return std::string(name);
  }
  if (IsFolderSeparator(folder.back())) {
    return std::string(folder) + std::string(name);
  }
  return std::string(folder) + "/" + std::string(name);
}

std::string JoinName(std::string_view prefix, std::string_view name) {
  return prefix.empty() ? std::string(name) : std::string(prefix) + "/" + std::string(name);
}

// The components a stored name may take from a path: no drive, no root, no "."
// and no "..".
std::string NameComponents(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') {
    path.remove_prefix(2);
  }
  std::string name;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsFolderSeparator(path[end])) {
      ++end;
    }
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") {
      name = JoinName(name, part);
    }
    start = end + 1;
  }
  return name;
}

// What follows `root` in `path` when the path lies in or below the root folder
// (compared as Windows compares names), else nothing.
std::optional<std::string> PartBelow(std::string_view root, std::string_view path) {
  const std::string foldedRoot = FoldedPath(platform::GetFullPathName(root));
  const std::string foldedPath = FoldedPath(path);
  if (!foldedPath.starts_with(foldedRoot)) {
    return std::nullopt;
  }
  const std::string_view rest = std::string_view(path).substr(foldedRoot.size());
  const bool rootEndsInSeparator = foldedRoot.ends_with('/');
  if (!rest.empty() && !rootEndsInSeparator && !IsFolderSeparator(rest.front())) {
    return std::nullopt;
  }
  return std::string(rest);
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

struct SplitPath {
  std::string folder;  // empty when the path has no folder part
  std::string last;
};

SplitPath Split(std::string_view path) {
  std::size_t separator = std::string_view::npos;
  for (std::size_t index = 0; index < path.size(); ++index) {
    if (IsFolderSeparator(path[index])) {
      separator = index;
    }
  }
  if (separator == std::string_view::npos) {
    if (path.size() >= 2 && path[1] == ':') {
      return SplitPath{std::string(path.substr(0, 2)), std::string(path.substr(2))};
    }
    return SplitPath{{}, std::string(path)};
  }
  const std::string_view folder = path.substr(0, separator == 0 ? 1 : separator);
  return SplitPath{std::string(folder), std::string(path.substr(separator + 1))};
}

class Selector {
 public:
  Selector(const ZipCommand& command, std::string_view archivePath)
      : command_(command), archive_(FoldedPath(platform::GetFullPathName(archivePath))) {}

  Selection Run() {
    for (const FileSpecification& specification : command_.specifications) {
      const std::size_t before = selection_.files.size();
      SelectFor(specification);
      if (selection_.files.size() == before) {
        selection_.unmatched.push_back(specification.pattern);
      }
    }
    return std::move(selection_);
  }

 private:
  // Where the folder part of a file specification line is on disk, and the stored
  // names it starts.
  struct Origin {
    std::string diskFolder;
    std::string namePrefix;
  };

  Origin OriginOf(const FileSpecification& specification, const std::string& folderPart) const {
    if (!IsAbsolutePath(folderPart) && !IsAbsolutePath(specification.pattern)) {
      const std::string base = specification.rootFolder.empty() ? platform::GetCurrentDirectory()
                                                                : specification.rootFolder;
      return Origin{JoinPath(base, folderPart), NameComponents(folderPart)};
    }
    const std::string fullFolder = platform::GetFullPathName(folderPart);
    if (!specification.rootFolder.empty()) {
      if (const std::optional<std::string> below = PartBelow(specification.rootFolder, fullFolder)) {
        return Origin{fullFolder, NameComponents(*below)};
      }
    }
    return Origin{fullFolder, NameComponents(fullFolder)};
  }

  void SelectFor(const FileSpecification& specification) {
    const SplitPath split = Split(specification.pattern);
    const Origin origin = OriginOf(specification, split.folder);
    if (HasWildcard(split.last)) {
      const std::string pattern = split.last == "*.*" ? std::string(MatchEverything) : split.last;
      Walk(specification, origin.diskFolder, origin.namePrefix, pattern);
      return;
    }
    const std::string diskPath = JoinPath(origin.diskFolder, split.last);
    const std::optional<platform::DirectoryItem> item = platform::GetDirectoryItem(diskPath);
    if (!item) {
      return;
    }
    const std::string name = JoinName(origin.namePrefix, NameComponents(split.last));
    if ((item->attributes & platform::file_attribute::Directory) == 0) {
      Consider(specification, diskPath, name, *item);
      return;
    }
    Consider(specification, diskPath, name, *item);
    if (specification.recursion == Recursion::IntoSubfolders) {
      Walk(specification, diskPath, name, std::string(MatchEverything));
    }
  }

  void Walk(const FileSpecification& specification, const std::string& folder, const std::string& namePrefix,
            const std::string& pattern) {
    std::optional<std::vector<platform::DirectoryItem>> items = platform::ListDirectory(folder);
    if (!items) {
      return;
    }
    std::sort(items->begin(), items->end(), [](const auto& left, const auto& right) { return left.name < right.name; });
    for (const platform::DirectoryItem& item : *items) {
      const std::string diskPath = JoinPath(folder, item.name);
      const std::string name = JoinName(namePrefix, item.name);
      const bool isFolder = (item.attributes & platform::file_attribute::Directory) != 0;
      if (!isFolder) {
        if (MatchesWildcard(pattern, item.name)) {
          Consider(specification, diskPath, name, item);
        }
        continue;
      }
      if (specification.recursion != Recursion::IntoSubfolders || IsLeftOut(diskPath, name, item)) {
        continue;
      }
      if (pattern == MatchEverything) {
        Consider(specification, diskPath, name, item);
      }
      Walk(specification, diskPath, name, pattern);
    }
  }

  bool IsExcluded(const std::string& diskPath, const std::string& name, const platform::DirectoryItem& item) const {
    return std::any_of(command_.exclusions.begin(), command_.exclusions.end(), [&](const std::string& exclusion) {
      return MatchesWildcard(exclusion, name) || MatchesWildcard(exclusion, item.name) ||
             MatchesWildcard(exclusion, diskPath);
    });
  }

  bool IsLeftOut(const std::string& diskPath, const std::string& name, const platform::DirectoryItem& item) const {
    constexpr std::uint32_t HiddenOrSystem = platform::file_attribute::Hidden | platform::file_attribute::System;
    if (command_.hiddenFiles == HiddenFiles::Skip && (item.attributes & HiddenOrSystem) != 0) {
      return true;
    }
    return IsExcluded(diskPath, name, item);
  }

  void Consider(const FileSpecification& specification, const std::string& diskPath, const std::string& name,
                const platform::DirectoryItem& item) {
    const bool isFolder = (item.attributes & platform::file_attribute::Directory) != 0;
    if (IsLeftOut(diskPath, name, item)) {
      return;
    }
    if (isFolder && (command_.folderEntries == FolderEntries::Omit || command_.folderNames == FolderNames::Drop)) {
      return;
    }
    if (!isFolder && command_.archiveBitSelection == ArchiveBitSelection::ArchiveBitSet &&
        (item.attributes & platform::file_attribute::Archive) == 0) {
      return;
    }
    const std::string fullPath = FoldedPath(platform::GetFullPathName(diskPath));
    if (fullPath == archive_ || !seen_.insert(fullPath).second) {
      return;
    }
    SelectedFile selected;
    selected.diskPath = diskPath;
    selected.name = command_.folderNames == FolderNames::Drop ? item.name : name;
    selected.kind = isFolder ? EntryKind::Folder : EntryKind::File;
    selected.facts = item;
    selected.specification = &specification;
    selection_.files.push_back(std::move(selected));
  }

  const ZipCommand& command_;
  std::string archive_;
  std::set<std::string> seen_;
  Selection selection_;
};

}  // namespace

bool IsAbsolutePath(std::string_view path) {
  return (!path.empty() && IsFolderSeparator(path.front())) || (path.size() >= 2 && path[1] == ':');
}

Selection SelectFiles(const ZipCommand& command, std::string_view archivePath) {
  return Selector(command, archivePath).Run();
}

}  // namespace engines::zip
