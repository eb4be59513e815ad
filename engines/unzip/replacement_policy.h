// Whether an entry may be written over what is already at its destination.
//
// The rules, with the existing file's DOS date-time compared to the entry's:
//   - nothing there: write the file, except for freshen, which only replaces
//     existing files (skip: NotPresent);
//   - a folder there: never replaced (skip: WriteFailed);
//   - a file there, freshen or update: replaced only when it is older than the
//     entry (skip: ExistingNotOlder), and then the caller is asked with "yes" as
//     the default answer;
//   - a file there otherwise: the caller is asked, the default answer being the
//     overwrite flag.
// The question goes out as action 10; a caller without an overwrite handler
// leaves the default standing.
#pragma once

#include <cstdint>
#include <string>

#include "engines/unzip/command.h"
#include "engines/engine_protocol.h"

namespace engines::unzip {

struct ExistingFile {
  bool exists = false;
  bool isFolder = false;
  bool readOnly = false;
  std::uint32_t attributes = 0;
  std::uint32_t dosDateTime = 0;  // 0 when unreadable: counts as oldest
};

[[nodiscard]] ExistingFile InspectExistingFile(const std::string& path);

enum class ReplacementVerdict { WriteNew, AskCaller, Skip };

struct ReplacementPlan {
  ReplacementVerdict verdict = ReplacementVerdict::WriteNew;
  bool defaultAnswer = false;    // for AskCaller
  bool existingIsOlder = false;  // for AskCaller
  UnzipSkipReason reason = UnzipSkipReason::NotOverwritten;  // for Skip
};

[[nodiscard]] ReplacementPlan PlanReplacement(const ExistingFile& existing, std::uint32_t entryDosDateTime,
                                              ReplacementRule rule, ExistingFiles existingFiles);

}  // namespace engines::unzip
