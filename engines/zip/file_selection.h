// Which files and folders an add takes from disk, and the names they get: the
// specifications with their wildcards, recursion and root folders, the
// exclusions, hidden files and the archive attribute. Nothing here reads file
// contents or writes anything.
//
// Rules:
//   - a relative specification is taken relative to its root folder (else the
//     current folder); its folder part as written starts the stored names;
//   - an absolute one is stored relative to its root folder when it lies below
//     it, else without its drive and leading separators;
//   - "*" and "?" are allowed in the last component only ("*.*" is every name);
//     with recursion the pattern is looked for in every folder below as well;
//   - a specification naming a folder adds the folder entry and, with recursion,
//     everything below it;
//   - folder entries are made for the folders a match-everything pattern walks;
//   - an exclusion matches the stored name, the file's own name or its path.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engines/shared/path_sanitising.h"
#include "engines/zip/command.h"
#include "platform/directory_listing.h"

namespace engines::zip {

struct SelectedFile {
  std::string diskPath;
  std::string name;  // "/" between folders, before sanitising and encoding
  shared::EntryKind kind = shared::EntryKind::File;
  platform::DirectoryItem facts;
  const FileSpecification* specification = nullptr;
};

struct Selection {
  std::vector<SelectedFile> files;
  std::vector<std::string> unmatched;  // specifications that found nothing
};

// `archivePath` is never selected, whatever the specifications say.
[[nodiscard]] Selection SelectFiles(const ZipCommand& command, std::string_view archivePath);

// True when the path has a root or a drive.
[[nodiscard]] bool IsAbsolutePath(std::string_view path);

}  // namespace engines::zip
