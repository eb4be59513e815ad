// Divisions: folding and time; the listings and their trust; reading a folder;
// the lookup; noting our own changes.
#include "platform/posix/folder_listing_cache.h"

#include <dirent.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <tuple>
#include <utility>
#include <unordered_map>
#include <vector>

namespace platform::posix {

namespace {

// Must stay the folding FindIgnoringCase compares with: ASCII letters only.
std::string FoldCase(std::string_view name) {
  std::string folded(name);
  for (char& character : folded) {
    if (character >= 'A' && character <= 'Z') {
      character = static_cast<char>(character - 'A' + 'a');
    }
  }
  return folded;
}

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::int64_t Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

// Two changes of a folder within one tick of the clock the file system stamps
// with leave the same modification time, so the time proves a listing complete
// only once that tick is over. Linux stamps with the coarse clock (one scheduler
// tick, at most 10 ms); file systems that keep whole seconds (FAT keeps two) show
// no nanoseconds, and get two seconds.
std::int64_t Granularity(const timespec& modified) {
  constexpr std::int64_t FineTick = 20'000'000;
  constexpr std::int64_t WholeSeconds = 2'000'000'000;
  return modified.tv_nsec == 0 ? WholeSeconds : FineTick;
}

enum class Trust {
  // Read when the folder's last change was over: complete while the time matches.
  Complete,
  // Read within the tick of the folder's last change, when another process may
  // still change it unseen: a name it lacks needs a fresh read.
  RereadForMissingNames,
  // Complete but for changes of other processes in the same tick as one of ours:
  // trusted until that tick is safely over, then read again once.
  CompleteUntil,
};

struct FolderIdentity {
  dev_t device;
  ino_t inode;
  bool operator==(const FolderIdentity&) const = default;
};

struct FolderIdentityHash {
  std::size_t operator()(const FolderIdentity& identity) const {
    return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(identity.device) * 1'000'003u ^
                                      static_cast<std::uint64_t>(identity.inode));
  }
};

struct Listing {
  std::int64_t modified = 0;
  Trust trust = Trust::RereadForMissingNames;
  std::int64_t trustedUntil = 0;
  // Folded name -> the real names in the folder's reading order.
  std::unordered_map<std::string, std::vector<std::string>> names;

  [[nodiscard]] bool TrustsMissingNames(std::int64_t now) const {
    return trust == Trust::Complete || (trust == Trust::CompleteUntil && now < trustedUntil);
  }
};

constexpr std::size_t MostFoldersKept = 256;

std::mutex cacheMutex;
std::unordered_map<FolderIdentity, Listing, FolderIdentityHash> listings;

FolderIdentity IdentityOf(const struct stat& status) {
  return {status.st_dev, status.st_ino};
}

std::optional<struct stat> FolderStatus(const std::string& folder) {
  struct stat status{};
  if (stat(folder.empty() ? "/" : folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    return std::nullopt;
  }
  return status;
}

// The status first and the clock before reading: the listing then holds every
// change up to that time, whatever happens while it is read.
std::optional<Listing> ReadListing(const std::string& folder, const struct stat& status) {
  const std::int64_t readStart = Now();
  DIR* directory = opendir(folder.empty() ? "/" : folder.c_str());
  if (directory == nullptr) {
    return std::nullopt;
  }
  Listing listing;
  listing.modified = Nanoseconds(status.st_mtim);
  listing.trust = readStart - listing.modified >= Granularity(status.st_mtim) ? Trust::Complete
                                                                              : Trust::RereadForMissingNames;
  while (const dirent* entry = readdir(directory)) {
    listing.names[FoldCase(entry->d_name)].emplace_back(entry->d_name);
  }
  closedir(directory);
  return listing;
}

void Store(const FolderIdentity& identity, Listing listing) {
  if (listings.size() >= MostFoldersKept && !listings.contains(identity)) {
    listings.clear();
  }
  listings[identity] = std::move(listing);
}

bool EntryExists(const std::string& folder, const std::string& name) {
  struct stat status{};
  const std::string path = (folder.empty() || folder.back() != '/') ? folder + "/" + name : folder + name;
  return lstat(path.c_str(), &status) == 0;
}

enum class Answer { Known, Unknown };

// What a current listing tells of `folded`; Unknown when it must be read again.
Answer AskListing(const Listing& listing, const std::string& folder, const std::string& folded,
                  std::optional<std::string>& found) {
  const auto entry = listing.names.find(folded);
  if (entry == listing.names.end()) {
    found.reset();
    return listing.TrustsMissingNames(Now()) ? Answer::Known : Answer::Unknown;
  }
  // A name removed behind our back within the tick of the listing still shows in it.
  if (!EntryExists(folder, entry->second.front())) {
    return Answer::Unknown;
  }
  found = entry->second.front();
  return Answer::Known;
}

void ApplyToListing(Listing& listing, NameChange change, const std::string& name) {
  const std::string folded = FoldCase(name);
  std::vector<std::string>& variants = listing.names[folded];
  const auto existing = std::find(variants.begin(), variants.end(), name);
  if (change == NameChange::Added && existing == variants.end()) {
    variants.push_back(name);
  } else if (change == NameChange::Removed && existing != variants.end()) {
    variants.erase(existing);
  }
  if (variants.empty()) {
    listing.names.erase(folded);
  }
}

}  // namespace

std::optional<std::string> FindCaseVariant(const std::string& folder, std::string_view name) {
  const std::optional<struct stat> status = FolderStatus(folder);
  if (!status) {
    return std::nullopt;
  }
  return FindCaseVariant(folder, *status, name);
}

std::optional<std::string> FindCaseVariant(const std::string& folder, const struct stat& folderStatus,
                                           std::string_view name) {
  const FolderIdentity identity = IdentityOf(folderStatus);
  const std::string folded = FoldCase(name);
  std::lock_guard lock(cacheMutex);
  if (const auto cached = listings.find(identity);
      cached != listings.end() && cached->second.modified == Nanoseconds(folderStatus.st_mtim)) {
    std::optional<std::string> found;
    if (AskListing(cached->second, folder, folded, found) == Answer::Known) {
      return found;
    }
  }
  std::optional<Listing> listing = ReadListing(folder, folderStatus);
  if (!listing) {
    return std::nullopt;
  }
  std::optional<std::string> found;
  if (const auto entry = listing->names.find(folded); entry != listing->names.end()) {
    found = entry->second.front();
  }
  Store(identity, std::move(*listing));
  return found;
}

namespace {

std::pair<std::string, std::string> SplitFolderAndName(const std::string& nativePath) {
  const std::size_t slash = nativePath.find_last_of('/');
  if (slash == std::string::npos) {
    return {".", nativePath};
  }
  return {slash == 0 ? "/" : nativePath.substr(0, slash), nativePath.substr(slash + 1)};
}

}  // namespace

std::string FolderOf(const std::string& nativePath) {
  return SplitFolderAndName(nativePath).first;
}

FolderChangeNote::FolderChangeNote(const std::string& nativePath, const std::optional<struct stat>& folderStatus) {
  std::tie(folder_, name_) = SplitFolderAndName(nativePath);
  before_ = folderStatus ? folderStatus : FolderStatus(folder_);
}

void FolderChangeNote::Done(NameChange change) {
  done_ = true;
  if (before_) {
    Apply(change, name_, FolderStatus(folder_));
  }
}

void FolderChangeNote::DoneRenamingTo(const std::string& targetNativePath) {
  done_ = true;
  if (before_) {
    const std::optional<struct stat> after = FolderStatus(folder_);
    Apply(NameChange::Removed, name_, after);
    Apply(NameChange::Added, SplitFolderAndName(targetNativePath).second, after);
  }
}

void FolderChangeNote::Apply(NameChange change, const std::string& name, const std::optional<struct stat>& after) {
  std::lock_guard lock(cacheMutex);
  const auto cached = listings.find(IdentityOf(*before_));
  if (cached == listings.end()) {
    return;
  }
  Listing& listing = cached->second;
  if (listing.modified != Nanoseconds(before_->st_mtim) || !after || IdentityOf(*after) != IdentityOf(*before_)) {
    listings.erase(cached);
    return;
  }
  ApplyToListing(listing, change, name);
  // Another process may change the folder unseen within the tick of our change.
  // Waiting for the tick to end before trusting a missing name would read the
  // folder again for every file of an extraction, so a missing name is trusted
  // until the tick is safely over and the folder is read once more then: such a
  // change shows at the latest to a lookup made that much later.
  const std::int64_t modified = Nanoseconds(after->st_mtim);
  if (listing.trust != Trust::CompleteUntil) {
    listing.trustedUntil = modified + Granularity(after->st_mtim);
  }
  listing.trust = Trust::CompleteUntil;
  listing.modified = modified;
  // A second change of the same note (a rename) starts from the state just recorded.
  before_ = after;
}

FolderChangeNote::~FolderChangeNote() {
  if (done_ || !before_) {
    return;
  }
  std::lock_guard lock(cacheMutex);
  listings.erase(IdentityOf(*before_));
}

}  // namespace platform::posix
