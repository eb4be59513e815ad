#include "engines/unzip/destination_tree.h"

#include "engines/shared/wildcard.h"
#include "platform/files.h"
#include "platform/links.h"

namespace engines::unzip {

using shared::IsFolderSeparator;

namespace {

// "C:\" and "/" keep their separator; any other folder loses its trailing ones.
std::string WithoutTrailingSeparators(std::string folder) {
  while (folder.size() > 1 && IsFolderSeparator(folder.back()) && !(folder.size() == 3 && folder[1] == ':')) {
    folder.pop_back();
  }
  return folder;
}

bool IsFolder(const std::string& path) {
  const std::uint32_t attributes = platform::GetFileAttributes(path);
  return attributes != platform::InvalidFileAttributes && (attributes & platform::file_attribute::Directory) != 0;
}

}  // namespace

std::string JoinFolderAndName(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && !IsFolderSeparator(joined.back())) {
    joined.push_back('\\');
  }
  joined.append(name);
  return joined;
}

DestinationTree::DestinationTree(std::string_view baseFolder)
    : base_(WithoutTrailingSeparators(baseFolder.empty() ? platform::GetCurrentDirectory() : std::string(baseFolder))) {
  if (!IsFolder(base_) && !platform::CreateDirectory(base_)) {
    return;
  }
  resolvedBase_ = platform::GetFinalPathName(base_);
}

bool DestinationTree::LiesInsideBase(const std::string& folder) const {
  const std::optional<std::string> resolved = platform::GetFinalPathName(folder);
  if (!resolved) {
    return false;
  }
  const std::string& base = *resolvedBase_;
  if (!resolved->starts_with(base)) {
    return false;
  }
  return resolved->size() == base.size() || IsFolderSeparator(base.back()) ||
         IsFolderSeparator((*resolved)[base.size()]);
}

FolderOutcome DestinationTree::PrepareFolder(std::span<const std::string> folders, FolderCreation creation,
                                             std::string& path) {
  path = base_;
  // Once a folder had to be created, everything below it is new and ours.
  bool createdOne = false;
  for (const std::string& folder : folders) {
    path = JoinFolderAndName(path, folder);
    if (verifiedFolders_.contains(path)) {
      continue;
    }
    if (createdOne) {
      if (!platform::CreateDirectory(path)) {
        return FolderOutcome::Blocked;
      }
      verifiedFolders_.insert(path);
      continue;
    }
    const std::uint32_t attributes = platform::GetFileAttributes(path);
    if (attributes == platform::InvalidFileAttributes) {
      if (creation == FolderCreation::ExistingOnly || !platform::CreateDirectory(path)) {
        return FolderOutcome::Blocked;
      }
      createdOne = true;
      verifiedFolders_.insert(path);
      continue;
    }
    if ((attributes & platform::file_attribute::Directory) == 0) {
      return FolderOutcome::Blocked;
    }
    if (!LiesInsideBase(path)) {
      return FolderOutcome::LinkOutsideBase;
    }
    verifiedFolders_.insert(path);
  }
  return FolderOutcome::Ready;
}

}  // namespace engines::unzip
