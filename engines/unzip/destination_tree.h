// The base folder and the folders below it that extracted files go into.
//
// Every folder handed out lies below the base once links are followed: an
// existing folder on the way that is a symbolic link (or junction) leading out of
// the base is refused, and missing folders are created only inside folders that
// passed that check. Verified folders are remembered for the rest of the command.
#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace engines::unzip {

enum class FolderCreation { CreateMissing, ExistingOnly };
enum class FolderOutcome { Ready, LinkOutsideBase, Blocked };

// `folder` and `name` joined by one "\" (both builds accept it as a separator).
[[nodiscard]] std::string JoinFolderAndName(std::string_view folder, std::string_view name);

class DestinationTree {
 public:
  // An empty `baseFolder` means the current folder. A missing base folder is
  // created when its parent exists.
  explicit DestinationTree(std::string_view baseFolder);

  [[nodiscard]] bool IsUsable() const { return resolvedBase_.has_value(); }
  [[nodiscard]] const std::string& Base() const { return base_; }

  // Sets `path` to the base joined with `folders` and makes sure it is a folder
  // inside the base.
  [[nodiscard]] FolderOutcome PrepareFolder(std::span<const std::string> folders, FolderCreation creation,
                                            std::string& path);

 private:
  [[nodiscard]] bool LiesInsideBase(const std::string& folder) const;

  std::string base_;
  std::optional<std::string> resolvedBase_;
  std::set<std::string> verifiedFolders_;
};

}  // namespace engines::unzip
