// Deciding what an add writes: the new entries with their stored names (after
// the caller's renaming), comments asked later, levels, passwords, and which of
// the old entries they replace under the freshen and update rules.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engines/zip/callback_channel.h"
#include "engines/zip/command.h"
#include "engines/zip/existing_archive.h"
#include "engines/zip/planned_entry.h"

namespace engines::zip {

struct AddPlan {
  std::vector<PlannedEntry> entries;
  std::vector<bool> replaced;  // per old entry: left out because a new entry takes its place
  bool anythingSelected = false;
};

// Nothing when a callback asked to stop.
[[nodiscard]] std::optional<AddPlan> PlanAdd(const ZipCommand& command, const ExistingArchive* archive,
                                             CallbackChannel& channel);

// The level for a file: 0 when its name ends in one of the stored suffixes.
[[nodiscard]] int LevelFor(const ZipCommand& command, std::string_view name);

}  // namespace engines::zip
