#include "engines/zip/add_planning.h"

#include <algorithm>
#include <set>

#include "engines/zip/file_selection.h"
#include "platform/date_time.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "zipformat/records.h"

namespace engines::zip {

namespace {

using shared::EntryKind;

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& character : lower) {
    if (character >= 'A' && character <= 'Z') {
      character = static_cast<char>(character - 'A' + 'a');
    }
  }
  return lower;
}

class Planner {
 public:
  Planner(const ZipCommand& command, const ExistingArchive* archive, CallbackChannel& channel)
      : command_(command), archive_(archive), channel_(channel) {}

  std::optional<AddPlan> Run() {
    plan_.replaced.assign(archive_ != nullptr ? archive_->Entries().size() : 0, false);
    if (command_.operation == Operation::AddMemoryEntry) {
      return PlanMemoryEntry() == Flow::Stop ? std::nullopt : std::optional(std::move(plan_));
    }
    if (command_.volumeLabel == VolumeLabel::Include) {
      PlanVolumeLabel();
    }
    return PlanFiles() == Flow::Stop ? std::nullopt : std::optional(std::move(plan_));
  }

 private:
  Flow PlanFiles() {
    const Selection selection = SelectFiles(command_, command_.archivePath);
    for (const std::string& unmatched : selection.unmatched) {
      if (channel_.Message(ZipErrorValue::None, "Nothing matches " + unmatched) == Flow::Stop) {
        return Flow::Stop;
      }
    }
    plan_.anythingSelected = !selection.files.empty();
    for (const SelectedFile& file : selection.files) {
      PlannedEntry entry;
      entry.origin = file.kind == EntryKind::Folder ? EntryOrigin::DiskFolder : EntryOrigin::DiskFile;
      entry.diskPath = file.diskPath;
      entry.dosDateTime = file.facts.dosDateTime;
      entry.dosAttributes = file.facts.attributes;
      entry.unixMode = file.facts.unixMode;
      entry.size = file.facts.size;
      if (Plan(std::move(entry), file.name, *file.specification) == Flow::Stop) {
        return Flow::Stop;
      }
    }
    return Flow::Continue;
  }

  Flow PlanMemoryEntry() {
    if (command_.specifications.empty()) {
      return channel_.Message(ZipErrorValue::BadCommand, "No name was given for the entry from memory");
    }
    plan_.anythingSelected = true;
    PlannedEntry entry;
    entry.origin = EntryOrigin::Memory;
    entry.dosDateTime = command_.memoryDosDateTime != 0 ? command_.memoryDosDateTime
                                                        : platform::SystemTimeToDosDateTime(platform::GetLocalTime());
    entry.dosAttributes = command_.memoryAttributes & ~platform::file_attribute::Directory;
    entry.memory = command_.memoryInput;
    entry.size = command_.memoryInput.size();
    return Plan(std::move(entry), command_.specifications.front().pattern, command_.specifications.front());
  }

  void PlanVolumeLabel() {
    const FileSpecification* first = command_.specifications.empty() ? nullptr : &command_.specifications.front();
    std::string where = platform::GetCurrentDirectory();
    if (first != nullptr && IsAbsolutePath(first->pattern)) {
      where = first->pattern;
    } else if (first != nullptr && !first->rootFolder.empty()) {
      where = first->rootFolder;
    }
    platform::VolumeInformation volume;
    if (!platform::GetVolumeInformation(where, volume) || volume.label.empty()) {
      return;
    }
    PlannedEntry entry;
    entry.origin = EntryOrigin::VolumeLabel;
    entry.displayName = volume.label;
    entry.name = EncodeForArchive(volume.label, command_.codePage);
    entry.dosDateTime = platform::SystemTimeToDosDateTime(platform::GetLocalTime());
    entry.level = 0;
    plan_.entries.push_back(std::move(entry));
  }

  // The stored name and the rules that may leave the entry out; the entry is
  // planned unless one of them does.
  Flow Plan(PlannedEntry entry, std::string name, const FileSpecification& specification) {
    const EntryKind kind = entry.origin == EntryOrigin::DiskFolder ? EntryKind::Folder : EntryKind::File;
    if (command_.nameForm == NameForm::Dos83) {
      name = DosName(name);
    }
    if (channel_.AskNewName(name) == Flow::Stop) {
      return Flow::Stop;
    }
    std::replace(name.begin(), name.end(), '\\', '/');
    shared::EntryPathVerdict refusal = shared::EntryPathVerdict::Safe;
    const std::optional<std::string> safe = SafeEntryName(name, kind, refusal);
    // The folder the selection starts from ("." with recursion) has no name of
    // its own below itself: it is no entry, and nothing was left out.
    if (!safe && kind == EntryKind::Folder && refusal == shared::EntryPathVerdict::Empty) {
      return Flow::Continue;
    }
    if (!safe) {
      return channel_.Message(ZipErrorValue::NameRefused,
                              "Left out " + name + ": " + std::string(shared::DescribeVerdict(refusal)));
    }
    if (entry.size >= zipformat::Zip64Marker) {
      return channel_.Message(ZipErrorValue::TooLarge, "Left out " + *safe + ": 4 GiB or larger needs Zip64");
    }
    entry.displayName = *safe;
    entry.name = EncodeForArchive(*safe, command_.codePage);
    if (!plannedNames_.insert(LowerAscii(entry.name.bytes)).second || !TakesPlaceOfOldEntry(entry)) {
      return Flow::Continue;
    }
    entry.level = kind == EntryKind::Folder ? 0 : LevelFor(command_, *safe);
    if (specification.wantsEncryption && kind == EntryKind::File) {
      const Flow flow = ChoosePassword(specification, entry);
      if (flow == Flow::Stop || !entry.password) {
        return flow;
      }
    }
    plan_.entries.push_back(std::move(entry));
    return Flow::Continue;
  }

  // Freshen takes only files already in the archive, update adds new ones as
  // well; both only when the file is newer than the entry it replaces.
  bool TakesPlaceOfOldEntry(const PlannedEntry& entry) {
    std::optional<std::size_t> old;
    if (archive_ != nullptr) {
      const std::vector<ExistingEntry>& entries = archive_->Entries();
      for (std::size_t index = 0; index < entries.size(); ++index) {
        if (!plan_.replaced[index] && SameEntryName(entries[index].name, entry.name.bytes)) {
          old = index;
          break;
        }
      }
    }
    if (!old) {
      return command_.replacement != Replacement::Freshen;
    }
    const bool newer = entry.dosDateTime > archive_->Entries()[*old].header.dosDateTime;
    if (command_.replacement != Replacement::Always && !newer) {
      return false;
    }
    plan_.replaced[*old] = true;
    return true;
  }

  Flow ChoosePassword(const FileSpecification& specification, PlannedEntry& entry) {
    if (specification.password) {
      entry.password = specification.password;
      return Flow::Continue;
    }
    if (!askedPassword_) {
      std::optional<std::string> answer;
      if (channel_.AskPassword(entry.displayName, answer) == Flow::Stop) {
        return Flow::Stop;
      }
      askedPassword_ = answer;
    }
    entry.password = *askedPassword_;
    if (!entry.password) {
      return channel_.Message(ZipErrorValue::PasswordMissing,
                              "Left out " + entry.displayName + ": encryption was asked for without a password");
    }
    return Flow::Continue;
  }

  const ZipCommand& command_;
  const ExistingArchive* archive_;
  CallbackChannel& channel_;
  AddPlan plan_;
  std::set<std::string> plannedNames_;
  std::optional<std::optional<std::string>> askedPassword_;
};

}  // namespace

int LevelFor(const ZipCommand& command, std::string_view name) {
  const std::string lowerName = LowerAscii(name);
  const bool storedSuffix = std::any_of(command.storedSuffixes.begin(), command.storedSuffixes.end(),
                                        [&lowerName](const std::string& suffix) {
                                          return !suffix.empty() && lowerName.ends_with(LowerAscii(suffix));
                                        });
  return storedSuffix ? 0 : command.level;
}

std::optional<AddPlan> PlanAdd(const ZipCommand& command, const ExistingArchive* archive, CallbackChannel& channel) {
  return Planner(command, archive, channel).Run();
}

}  // namespace engines::zip
