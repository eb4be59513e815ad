// A cache of folder listings for the case-insensitive name lookup, so that creating
// many files in one folder does not read the whole folder for every new name.
//
// A listing is keyed by the folder's identity (device and inode, so that a folder
// reached through a drive link and through its POSIX name shares one listing) and
// checked against the folder's modification time on every use. Changes this process
// makes through the backend are noted with FolderChangeNote, so they do not force a
// re-read; changes by others show in the modification time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace platform::posix {

// The entry of `folder` that equals `name` without regard to ASCII letter case (the
// first in the folder's reading order when several do); nullopt when there is none.
// `name` itself is known not to exist exactly.
[[nodiscard]] std::optional<std::string> FindCaseVariant(const std::string& folder, std::string_view name);
// The same for a folder whose stat the caller has just taken.
[[nodiscard]] std::optional<std::string> FindCaseVariant(const std::string& folder, const struct stat& folderStatus,
                                                         std::string_view name);

// The folder part of a POSIX name ("/" for names at the root).
[[nodiscard]] std::string FolderOf(const std::string& nativePath);

enum class NameChange { Added, Removed };

// Brackets one change of a name in its folder: construct it before the change,
// call Done after a successful one. The cached listing is updated only when it was
// current before the change; a change that is not Done drops the listing, since
// a failed operation may still have changed the folder.
class FolderChangeNote {
 public:
  // `folderStatus`: the folder's stat, when the caller took it just now.
  explicit FolderChangeNote(const std::string& nativePath,
                            const std::optional<struct stat>& folderStatus = std::nullopt);
  ~FolderChangeNote();
  FolderChangeNote(const FolderChangeNote&) = delete;
  FolderChangeNote& operator=(const FolderChangeNote&) = delete;

  void Done(NameChange change);
  // A rename within the folder: one change of the listing, where two notes would
  // each find it changed by the other.
  void DoneRenamingTo(const std::string& targetNativePath);
  // The operation failed in a way that proves the folder untouched (the name existed).
  void Unchanged() { done_ = true; }

 private:
  // `after` is the folder's status after the change.
  void Apply(NameChange change, const std::string& name, const std::optional<struct stat>& after);

  std::string folder_;
  std::string name_;
  std::optional<struct stat> before_;
  bool done_ = false;
};

}  // namespace platform::posix
