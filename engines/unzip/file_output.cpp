#include "engines/unzip/file_output.h"

#include <utility>

namespace engines::unzip {

namespace {

constexpr std::string_view TemporaryPrefix = "~unz";

}  // namespace

std::unique_ptr<SafeFileOutput> SafeFileOutput::Create(const std::string& destination) {
  std::optional<platform::SafeSave> save =
      platform::SafeSave::Create(destination, {platform::SaveDurability::LeaveToSystem, {}, TemporaryPrefix});
  if (!save) {
    return nullptr;
  }
  return std::unique_ptr<SafeFileOutput>(new SafeFileOutput(std::move(*save)));
}

bool SafeFileOutput::Write(std::span<const std::byte> bytes) {
  return save_.Write(bytes);
}

bool SafeFileOutput::Commit(std::uint32_t dosDateTime) {
  // A date the file system refuses (a zero DOS date, say) leaves the file dated now.
  save_.StampDate(dosDateTime, platform::DateRequirement::BestEffort);
  if (!save_.Commit(platform::CommitMode::ReplaceTarget)) {
    platform::SetLastError(save_.Error());
    return false;
  }
  return true;
}

}  // namespace engines::unzip
