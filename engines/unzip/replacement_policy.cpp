#include "engines/unzip/replacement_policy.h"

#include "platform/files.h"

namespace engines::unzip {

ExistingFile InspectExistingFile(const std::string& path) {
  ExistingFile existing;
  const std::uint32_t attributes = platform::GetFileAttributes(path);
  if (attributes == platform::InvalidFileAttributes) {
    return existing;
  }
  existing.exists = true;
  existing.attributes = attributes;
  existing.isFolder = (attributes & platform::file_attribute::Directory) != 0;
  existing.readOnly = (attributes & platform::file_attribute::ReadOnly) != 0;
  if (existing.isFolder) {
    return existing;
  }
  const platform::FileHandle file = platform::CreateFile(path, platform::FileAccess::Read,
                                                         platform::FileShare::ReadWrite,
                                                         platform::FileCreation::OpenExisting);
  if (file == platform::InvalidFileHandle) {
    return existing;
  }
  if (!platform::GetFileDosDateTime(file, existing.dosDateTime)) {
    existing.dosDateTime = 0;
  }
  platform::CloseHandle(file);
  return existing;
}

ReplacementPlan PlanReplacement(const ExistingFile& existing, std::uint32_t entryDosDateTime, ReplacementRule rule,
                                ExistingFiles existingFiles) {
  ReplacementPlan plan;
  if (!existing.exists) {
    if (rule == ReplacementRule::Freshen) {
      plan.verdict = ReplacementVerdict::Skip;
      plan.reason = UnzipSkipReason::NotPresent;
    }
    return plan;
  }
  if (existing.isFolder) {
    plan.verdict = ReplacementVerdict::Skip;
    plan.reason = UnzipSkipReason::WriteFailed;
    return plan;
  }
  // The date sits in the high half, so the numbers order as the moments do.
  plan.existingIsOlder = existing.dosDateTime < entryDosDateTime;
  if (rule != ReplacementRule::Always) {
    if (!plan.existingIsOlder) {
      plan.verdict = ReplacementVerdict::Skip;
      plan.reason = UnzipSkipReason::ExistingNotOlder;
      return plan;
    }
    plan.verdict = ReplacementVerdict::AskCaller;
    plan.defaultAnswer = true;
    return plan;
  }
  plan.verdict = ReplacementVerdict::AskCaller;
  plan.defaultAnswer = existingFiles == ExistingFiles::Overwrite;
  return plan;
}

}  // namespace engines::unzip
