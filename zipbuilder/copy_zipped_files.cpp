// CopyZippedFiles: entries of this (the source) archive, compressed as they are,
// into another component's (the destination's) archive, without an engine.
//
// The destination is written again into a safe save: its prefix, then its
// entries in their order, each from the destination or, when it is replaced,
// from the source, then the new names in the order asked for, the central
// directory and the destination's comment. Only the complete new archive takes
// the destination's name. Entries are copied byte for byte from their own local
// headers (data descriptors included), and their names go into the new
// directory exactly as the archive they come from stores them.
//
// The decision for each destination entry is a marker, as the component has
// always kept it in bits 13-15 of the entry's flags. Here it lives beside the
// entry, so stored flags that happen to carry those bits mean nothing to it.
#include <algorithm>
#include <array>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "zipbuilder/archive_rewrite.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_format.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/scope_exit.h"
#include "zipbuilder/scoped_file.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

enum class CopyMarker : std::uint16_t {
  KeepUnasked = 0x0000,  // not asked for: the destination's entry stays
  New = 0x2000,          // not in the destination: copied from the source
  Replace = 0x4000,      // copied from the source over the destination's entry
  Kept = 0x8000,         // asked for, but the destination's entry stays
  Ask = 0x6000,          // the owner (or the user) decides between Replace and Kept
};

[[nodiscard]] CopyMarker MarkerFor(OvrOpts overwriteMode) {
  switch (overwriteMode) {
    case OvrOpts::OvrAlways:
      return CopyMarker::Replace;
    case OvrOpts::OvrNever:
      return CopyMarker::Kept;
    case OvrOpts::OvrConfirm:
      break;
  }
  return CopyMarker::Ask;
}

[[nodiscard]] bool NamesEqual(std::string_view left, std::string_view right) {
  return platform::CompareTextIgnoreCase(left, right) == 0;
}

// One entry of the new destination archive.
struct PlannedEntry {
  std::string ShownName;
  const zipformat::DirectoryEntry* DestinationEntry = nullptr;  // null for a new name
  CopyMarker Marker = CopyMarker::KeepUnasked;

  [[nodiscard]] bool FromSource() const { return Marker == CopyMarker::New || Marker == CopyMarker::Replace; }
};

// The marking pass: the destination's entries in their order, then the names
// it lacks in the order asked for. A name asked for twice counts once.
[[nodiscard]] std::vector<PlannedEntry> MarkEntries(const RewriteSource& destination, CPOpts destinationCodePage,
                                                    const StringList& names, OvrOpts overwriteMode) {
  std::vector<PlannedEntry> plan;
  plan.reserve(destination.Directory.entries.size() + names.size());
  for (const zipformat::DirectoryEntry& entry : destination.Directory.entries) {
    plan.push_back({ShownNameOf(entry, destinationCodePage), &entry, CopyMarker::KeepUnasked});
  }
  for (const std::string& name : names) {
    const auto found = std::find_if(plan.begin(), plan.end(),
                                    [&](const PlannedEntry& entry) { return NamesEqual(entry.ShownName, name); });
    if (found == plan.end()) {
      plan.push_back({name, nullptr, CopyMarker::New});
    } else if (found->Marker != CopyMarker::New) {
      found->Marker = MarkerFor(overwriteMode);
    }
  }
  return plan;
}

[[nodiscard]] bool AreSameArchive(const TZipBuilder& source, const TZipBuilder& destination) {
  return &source == &destination || NamesEqual(source.ZipFileName(), destination.ZipFileName()) ||
         NamesEqual(platform::GetFullPathName(source.ZipFileName()),
                    platform::GetFullPathName(destination.ZipFileName()));
}

}  // namespace

int TZipBuilder::CopyZippedFiles(TZipBuilder& destination, CopySourceEntries sourceEntries, OvrOpts overwriteMode) {
  if (zipSideBusy_) {
    return rewrite_result::Busy;
  }
  zipSideBusy_ = true;
  PushBusyCursor();
  rewrite_.ReportCopyProgress = false;  // copying reports no progress
  const ScopeExit idle([this] {
    zipSideBusy_ = false;
    PopBusyCursor();
  });
  StringList keptNames;
  int result = RunRewrite([&] { CopyEntriesInto(destination, overwriteMode, keptNames); });
  destination.List();
  if (result != rewrite_result::Success) {
    return result;
  }
  // What was asked for and not kept was copied.
  std::erase_if(fSpecArgs_, [&keptNames](const std::string& name) {
    return std::any_of(keptNames.begin(), keptNames.end(),
                       [&name](const std::string& kept) { return NamesEqual(kept, name); });
  });
  if (sourceEntries == CopySourceEntries::DeleteCopied && !fSpecArgs_.empty()) {
    const int copiedCount = static_cast<int>(fSpecArgs_.size());
    zipSideBusy_ = false;
    Delete();
    // Delete reported why it deleted fewer; the copies are in the destination.
    if (processedCount_ < copiedCount) {
      result = rewrite_result::Reported;
    }
  }
  fSpecArgs_ = keptNames;
  return result;
}

void TZipBuilder::CopyEntriesInto(TZipBuilder& destination, OvrOpts overwriteMode, StringList& keptNames) {
  if (AreSameArchive(*this, destination)) {
    throw EZipBuilder(message_id::CopySameArchive, MessageDisplay::ShowBox);
  }
  ScopedFile sourceArchive = OpenForReading(zipFileName_);
  if (!sourceArchive.IsOpen()) {
    throw EZipBuilder(message_id::InputFileMissing, MessageDisplay::ShowBox);
  }
  const RewriteSource source = ReadRewriteSource(sourceArchive.Get());
  std::vector<std::string> sourceNames;
  sourceNames.reserve(source.Directory.entries.size());
  for (const zipformat::DirectoryEntry& entry : source.Directory.entries) {
    sourceNames.push_back(ShownNameOf(entry, codePage_));
  }

  const std::string& destinationName = destination.zipFileName_;
  // A destination named but not made yet starts empty, as an archive that Add
  // makes does.
  const bool destinationIsNew = !destinationName.empty() && !FileExists(destinationName);
  ScopedFile destinationArchive = destinationIsNew ? ScopedFile() : OpenForReading(destinationName);
  if (!destinationIsNew && (!destinationArchive.IsOpen() ||
                            !platform::GetFileDosDateTime(destinationArchive.Get(), rewrite_.SavedFileDate))) {
    throw EZipBuilder(message_id::CopyDestinationNotOpened, MessageDisplay::ShowBox);
  }
  const RewriteSource target = destinationIsNew ? RewriteSource{} : ReadRewriteSource(destinationArchive.Get());
  std::vector<PlannedEntry> plan = MarkEntries(target, destination.codePage_, fSpecArgs_, overwriteMode);

  // Every name to copy must be in the source before anything is written.
  std::vector<const zipformat::DirectoryEntry*> sourceEntries(plan.size(), nullptr);
  for (std::size_t index = 0; index < plan.size(); ++index) {
    if (plan[index].Marker == CopyMarker::KeepUnasked) {
      continue;
    }
    const auto found = std::find_if(sourceNames.begin(), sourceNames.end(),
                                    [&](const std::string& name) { return NamesEqual(name, plan[index].ShownName); });
    if (found == sourceNames.end()) {
      throw EZipBuilder(message_id::CopyFileNotPresent, plan[index].ShownName, zipFileName_);
    }
    sourceEntries[index] = &source.Directory.entries[static_cast<std::size_t>(found - sourceNames.begin())];
  }

  OpenRewriteOutput(destinationName, destination.tempDir_);
  if (!destinationIsNew && CopyToOutput(destinationArchive.Get(), 0, target.PrefixSize) != target.PrefixSize) {
    throw EZipBuilder(message_id::CopySfxDataError, MessageDisplay::ShowBox);
  }
  std::vector<EntryPatch> patches(plan.size());
  std::vector<NewCentralEntry> directory(plan.size());
  for (std::size_t index = 0; index < plan.size(); ++index) {
    PlannedEntry& planned = plan[index];
    if (planned.Marker == CopyMarker::Ask) {
      planned.Marker = AnswerCopyOverwrite(destination, planned.ShownName) ? CopyMarker::Replace : CopyMarker::Kept;
    }
    const bool fromSource = planned.FromSource();
    const zipformat::DirectoryEntry& stored = fromSource ? *sourceEntries[index] : *planned.DestinationEntry;
    const RewriteSource& archive = fromSource ? source : target;
    const platform::FileHandle file = fromSource ? sourceArchive.Get() : destinationArchive.Get();
    try {
      patches[index].LocalHeaderOffset = CopyEntry(file, archive.LocalHeaderPosition(stored), stored.header, {});
    } catch (const EZipBuilder&) {
      throw EZipBuilder(message_id::CopyFileFailed, fromSource ? zipFileName_ : destinationName, destinationName);
    }
    patches[index].Name = stored.name;
    directory[index] = {&stored, &patches[index]};
    if (planned.Marker == CopyMarker::Kept) {
      keptNames.push_back(planned.ShownName);
    }
  }
  WriteDirectoryAndEnd(directory, target.Comment);
  // Only read from; the destination must be closed before the new archive can take its name.
  static_cast<void>(sourceArchive.Close());
  static_cast<void>(destinationArchive.Close());
  if (destinationIsNew) {
    PlaceNewRewriteOutput();
    return;
  }
  ReplaceWithRewriteOutput(destination.howToDelete_);
}

bool TZipBuilder::AnswerCopyOverwrite(TZipBuilder& destination, const std::string& name) {
  if (OnCopyZipOverwrite) {
    bool doOverwrite = false;
    OnCopyZipOverwrite(destination, name, doOverwrite);
    return doOverwrite;
  }
  // Asked whether or not the component is unattended: the answer decides what
  // the destination holds.
  MessageBoxRequest box;
  const std::array<MessageValue, 2> values{MessageValue{name}, MessageValue{destination.zipFileName_}};
  box.Text = FormatMessageText(LoadMessageText(message_id::CopyOverwriteQuestion, "Overwrite %s in %s ?"), values);
  box.Caption = toolkit_.ApplicationTitle();
  box.Buttons = MessageBoxButtons::YesNo;
  box.Icon = MessageBoxIcon::Question;
  box.DefaultButton = MessageBoxDefaultButton::Second;
  box.Owner = ownerWindow_;
  return toolkit_.ShowMessageBox(box) == DialogAnswer::Yes;
}

}  // namespace zipbuilder
