#include "zipbuilder/file_checks.h"

#include "platform/files.h"

namespace zipbuilder {

namespace {

enum class PathKind { Missing, File, Folder };

PathKind KindOf(std::string_view path) {
  if (path.empty()) {
    return PathKind::Missing;
  }
  const std::uint32_t attributes = platform::GetFileAttributes(path);
  if (attributes == platform::InvalidFileAttributes) {
    return PathKind::Missing;
  }
  if ((attributes & platform::file_attribute::Directory) != 0) {
    return PathKind::Folder;
  }
  return PathKind::File;
}

}  // namespace

bool FileExists(std::string_view path) { return KindOf(path) == PathKind::File; }

bool FolderExists(std::string_view path) { return KindOf(path) == PathKind::Folder; }

}  // namespace zipbuilder
