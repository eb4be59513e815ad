// The safe save: its commit modes, sticky errors, the temporary file that never
// stays, the work folder, the recycle order, and every file operation failing in
// turn while the target keeps the complete old or the complete new file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/safe_save.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;
using file_faults::Operation;
using file_faults::Persistence;

constexpr std::string_view OldContent = "the old file, as it was before the save";
constexpr std::uint32_t NewDate = 0x2A214C00;  // 2001-01-01 09:32:00

std::string ReadWhole(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::span<const std::byte> Bytes(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

// The new file: long enough for several writes, so that a fault can hit the middle.
std::string NewContent() {
  std::string content;
  for (int line = 0; line < 3000; ++line) {
    content += "new line " + std::to_string(line) + "\n";
  }
  return content;
}

class SafeSaveTest : public ::testing::Test {
 protected:
  void SetUp() override { scratch.WriteFile("target.zip", OldContent); }
  void TearDown() override { file_faults::Clear(); }

  [[nodiscard]] std::string Target() const { return scratch.PathOf("target.zip"); }
  // Options for a save in the scratch folder's "work" folder.
  [[nodiscard]] SaveOptions InWorkFolder() {
    workFolder = scratch.PathOf("work");
    return {SaveDurability::FlushToDevice, workFolder, "~sav"};
  }
  [[nodiscard]] std::optional<std::string> TargetContent() const { return scratch.ReadFile("target.zip"); }


  // What the recycle bin holds from this test's scratch folder: each trashed
  // name with its content ("name: content"); nullopt where the bin's folder is
  // not known.
  [[nodiscard]] std::optional<std::multiset<std::string>> Trashed() const {
    const std::optional<std::string> trash = machine.TrashFolder();
    if (!trash) {
      return std::nullopt;
    }
    const std::string scratchName = std::filesystem::path(scratch.Path()).filename().string();
    std::multiset<std::string> items;
    std::error_code missing;
    for (const auto& info : std::filesystem::directory_iterator(std::filesystem::path(*trash) / "info", missing)) {
      if (ReadWhole(info.path()).find(scratchName) == std::string::npos) {
        continue;
      }
      const std::string name = info.path().stem().string();
      items.insert(name + ": " + ReadWhole(std::filesystem::path(*trash) / "files" / name));
    }
    return items;
  }

  // The trashed items of `content` under `name`, or under a name the recycle bin
  // made of it because an item of that name was there already.
  [[nodiscard]] static int CountTrashed(const std::multiset<std::string>& trashed, std::string_view name,
                                        std::string_view content) {
    return static_cast<int>(std::count_if(trashed.begin(), trashed.end(), [&](const std::string& item) {
      return item.starts_with(name) && item.ends_with(": " + std::string(content));
    }));
  }

  // A save of NewContent() through appends, an overwrite and a cut.
  [[nodiscard]] static bool WriteNewContent(SafeSave& save) {
    const std::string content = NewContent();
    const std::size_t half = content.size() / 2;
    return save.Write(Bytes(std::string_view(content).substr(0, half))) && save.Write(Bytes("scrap")) &&
           save.SetEnd(static_cast<std::int64_t>(half)) && save.Write(Bytes(std::string_view(content).substr(half))) &&
           save.WriteAt(0, Bytes(std::string_view(content).substr(0, 3)));
  }

  platform_test::TestMachine machine;
  platform_test::ScratchFolder scratch;
  std::string workFolder;
};

TEST(SafeSaveNames, TheTemporaryFileLiesBesideTheTarget) {
  EXPECT_EQ(NameBeside("C:\\dir\\a.zip", "x.tmp"), "C:\\dir\\x.tmp");
  EXPECT_EQ(NameBeside("/tmp/dir/a.zip", "x.tmp"), "/tmp/dir/x.tmp");
  EXPECT_EQ(NameBeside("C:a.zip", "x.tmp"), "C:x.tmp");
  EXPECT_EQ(NameBeside("a.zip", "x.tmp"), "x.tmp");
  EXPECT_EQ(NameBeside("/tmp/odd:name.zip", "x.tmp"), "/tmp/x.tmp") << "a colon is a drive only second";

  EXPECT_EQ(FolderPartOf("a.zip"), ".");
  EXPECT_EQ(FolderPartOf("dir/a.zip"), "dir");
  EXPECT_EQ(FolderPartOf("/a.zip"), "/");
  EXPECT_EQ(FolderPartOf("\\a.zip"), "\\");
  EXPECT_EQ(FolderPartOf("C:\\a.zip"), "C:\\");
  EXPECT_EQ(FolderPartOf("C:a.zip"), "C:");
  EXPECT_EQ(FolderPartOf("C:\\dir\\a.zip"), "C:\\dir");
}

TEST_F(SafeSaveTest, ReplaceTargetReplacesAnOldFileAndCreatesAMissingOne) {
  for (const bool targetExists : {true, false}) {
    if (!targetExists) {
      ASSERT_TRUE(DeleteFile(Target()));
    }
    std::optional<SafeSave> save = SafeSave::Create(Target(), {});
    ASSERT_TRUE(save);
    EXPECT_EQ(std::filesystem::path(save->WorkPath()).parent_path(), std::filesystem::path(scratch.Path()));
    EXPECT_EQ(TargetContent(), targetExists ? std::optional<std::string>(OldContent) : std::nullopt)
        << "nothing reaches the name before Commit";
    ASSERT_TRUE(WriteNewContent(*save));
    EXPECT_EQ(save->Size(), static_cast<std::int64_t>(NewContent().size()));

    ASSERT_TRUE(save->Commit(CommitMode::ReplaceTarget));
    EXPECT_EQ(save->State(), SaveState::Committed);
    EXPECT_EQ(TargetContent(), NewContent());
    EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
  }
}

TEST_F(SafeSaveTest, CreateOnlyCreatesButNeverReplaces) {
  std::optional<SafeSave> refused = SafeSave::Create(Target(), {});
  ASSERT_TRUE(refused && refused->Write(Bytes("new")));
  EXPECT_FALSE(refused->Commit(CommitMode::CreateOnly));
  EXPECT_EQ(refused->Error(), win32_error::AlreadyExists);
  EXPECT_EQ(refused->State(), SaveState::NotPlaced);
  EXPECT_EQ(TargetContent(), OldContent);
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});

  std::optional<SafeSave> created = SafeSave::Create(scratch.PathOf("fresh.zip"), {});
  ASSERT_TRUE(created && created->Write(Bytes("new")));
  EXPECT_TRUE(created->Commit(CommitMode::CreateOnly));
  EXPECT_EQ(scratch.ReadFile("fresh.zip"), "new");
}

TEST_F(SafeSaveTest, TheRecycleModeSendsTheOldFileToTheRecycleBinUnderASecondName) {
  scratch.WriteFile("target (old).zip", "someone else's file");
  for (const std::string_view content : {std::string_view("second"), std::string_view("third")}) {
    std::optional<SafeSave> save = SafeSave::Create(Target(), {});
    ASSERT_TRUE(save && save->Write(Bytes(content)));
    ASSERT_TRUE(save->Commit(CommitMode::ReplaceAndRecycleOld));
    EXPECT_EQ(TargetContent(), content);
    EXPECT_EQ(scratch.ReadFile("target (old).zip"), "someone else's file") << "a taken name is left alone";
    EXPECT_EQ(scratch.FileNames(), (std::vector<std::string>{"target (old).zip", "target.zip"}));
  }
  const auto trashed = Trashed();
  if (!trashed) {
    GTEST_SKIP() << "where the recycle bin keeps files is not known here";
  }
  // Both saves named the old file " (old 2)"; the recycle bin tells the second
  // one apart in a way of its own.
  ASSERT_EQ(trashed->size(), 2u);
  EXPECT_EQ(CountTrashed(*trashed, "target (old 2).zip", OldContent), 1) << testing::PrintToString(*trashed);
  EXPECT_EQ(CountTrashed(*trashed, "target (old 2).zip", "second"), 1) << testing::PrintToString(*trashed);
}

TEST_F(SafeSaveTest, TheRecycleModeWithoutAnOldFileJustCreatesTheTarget) {
  ASSERT_TRUE(DeleteFile(Target()));
  std::optional<SafeSave> save = SafeSave::Create(Target(), {});
  ASSERT_TRUE(save && save->Write(Bytes("new")));
  ASSERT_TRUE(save->Commit(CommitMode::ReplaceAndRecycleOld));
  EXPECT_EQ(TargetContent(), "new");
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
}

TEST_F(SafeSaveTest, AFileSystemWithoutHardLinksGetsACopyAsTheSecondName) {
  file_faults::Fail(Operation::HardLink, 1, Persistence::FromThenOn, win32_error::NotSupported);
  std::optional<SafeSave> save = SafeSave::Create(Target(), {});
  ASSERT_TRUE(save && save->Write(Bytes("new")));
  ASSERT_TRUE(save->Commit(CommitMode::ReplaceAndRecycleOld));
  EXPECT_TRUE(file_faults::Fired(Operation::HardLink));
  EXPECT_EQ(TargetContent(), "new");
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
  const auto trashed = Trashed();
  if (trashed) {
    EXPECT_EQ(trashed->size(), 1u);
    EXPECT_EQ(CountTrashed(*trashed, "target (old).zip", OldContent), 1) << testing::PrintToString(*trashed);
  }
}

TEST_F(SafeSaveTest, WhenTheOldFileCannotComeBackEitherTheNewStaysAndTheOldIsKept) {
  file_faults::Fail(Operation::Recycle, 1, Persistence::Once, win32_error::AccessDenied);
  // The first move puts the new file in place, the second would bring the old one back.
  file_faults::Fail(Operation::Move, 2, Persistence::Once, win32_error::SharingViolation);
  std::optional<SafeSave> save = SafeSave::Create(Target(), {});
  ASSERT_TRUE(save && save->Write(Bytes("new")));
  EXPECT_FALSE(save->Commit(CommitMode::ReplaceAndRecycleOld));
  EXPECT_EQ(save->State(), SaveState::PlacedOldKept);
  EXPECT_EQ(TargetContent(), "new");
  EXPECT_EQ(save->OldFileName(), scratch.PathOf("target (old).zip"));
  EXPECT_EQ(scratch.ReadFile("target (old).zip"), OldContent);
  EXPECT_EQ(scratch.FileNames(), (std::vector<std::string>{"target (old).zip", "target.zip"}));
}

TEST_F(SafeSaveTest, AFailedWriteIsStickyAndLaterWritesDoNothing) {
  file_faults::Fail(Operation::Write, 2, Persistence::Once, win32_error::DiskFull);
  std::optional<SafeSave> save = SafeSave::Create(Target(), {});
  ASSERT_TRUE(save);
  EXPECT_TRUE(save->Write(Bytes("first ")));
  EXPECT_FALSE(save->Write(Bytes("second ")));
  EXPECT_FALSE(save->Write(Bytes("third"))) << "the platform would take it, the save must not";
  EXPECT_FALSE(save->WriteAt(0, Bytes("x")));
  EXPECT_FALSE(save->SetEnd(0));
  EXPECT_TRUE(save->Failed());
  EXPECT_EQ(save->Error(), win32_error::DiskFull);
  EXPECT_EQ(ReadWhole(save->WorkPath()), "first ");

  EXPECT_FALSE(save->Commit(CommitMode::ReplaceTarget));
  EXPECT_EQ(save->State(), SaveState::Abandoned);
  EXPECT_EQ(save->Error(), win32_error::DiskFull) << "the first error is kept";
  EXPECT_EQ(TargetContent(), OldContent);
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
}

// What a failing clean-up can and cannot keep: the target is still the old file,
// but the temporary file that could not be deleted stays.
TEST_F(SafeSaveTest, WhenTheCleanUpDeleteFailsTooTheTargetIsSafeButTheTemporaryFileStays) {
  file_faults::Fail(Operation::Write, 1, Persistence::Once);
  file_faults::Fail(Operation::Delete, 1, Persistence::Once);
  std::optional<SafeSave> save = SafeSave::Create(Target(), {});
  ASSERT_TRUE(save);
  const std::string temporary = std::filesystem::path(save->WorkPath()).filename().string();
  EXPECT_FALSE(save->Write(Bytes("new")));
  EXPECT_FALSE(save->Commit(CommitMode::ReplaceTarget));
  EXPECT_EQ(save->Error(), win32_error::DiskFull) << "the cause, not the clean-up's failure";
  EXPECT_TRUE(file_faults::Fired(Operation::Delete));
  EXPECT_EQ(TargetContent(), OldContent);
  EXPECT_EQ(scratch.FileNames(), (std::vector<std::string>{"target.zip", temporary}));
}

TEST_F(SafeSaveTest, CancelAndDestructionRemoveTheTemporaryFile) {
  {
    std::optional<SafeSave> save = SafeSave::Create(Target(), {});
    ASSERT_TRUE(save && save->Write(Bytes("never committed")));
    EXPECT_EQ(scratch.FileNames().size(), 2u);
    save->Cancel();
    EXPECT_EQ(save->State(), SaveState::Abandoned);
    EXPECT_FALSE(save->Commit(CommitMode::ReplaceTarget)) << "a cancelled save cannot commit";
    EXPECT_FALSE(save->Write(Bytes("more")));
  }
  {
    std::optional<SafeSave> save = SafeSave::Create(Target(), {});
    ASSERT_TRUE(save && save->Write(Bytes("dropped")));
    std::optional<SafeSave> moved(std::move(*save));
    save.reset();
    EXPECT_EQ(scratch.FileNames().size(), 2u) << "the moved-from save leaves the file to its successor";
  }
  EXPECT_EQ(TargetContent(), OldContent);
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
}

TEST_F(SafeSaveTest, ManySavesInOneFolderGetNamesOfTheirOwn) {
  std::vector<SafeSave> saves;
  std::set<std::string> names;
  for (int index = 0; index < 50; ++index) {
    std::optional<SafeSave> save = SafeSave::Create(Target(), {SaveDurability::FlushToDevice, {}, "~t"});
    ASSERT_TRUE(save);
    names.insert(save->WorkPath());
    saves.push_back(std::move(*save));
  }
  EXPECT_EQ(names.size(), 50u);
  EXPECT_TRUE(std::all_of(names.begin(), names.end(), [](const std::string& name) {
    const std::string file = std::filesystem::path(name).filename().string();
    return file.starts_with("~t") && file.ends_with(".tmp") && file.size() == 2 + 8 + 4;
  }));
  saves.clear();
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
}

TEST_F(SafeSaveTest, AppendFromCopiesFromAnOpenFileAndFailsOnAShortOne) {
  scratch.WriteFile("source.bin", NewContent());
  const FileHandle source =
      CreateFile(scratch.PathOf("source.bin"), FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
  ASSERT_NE(source, InvalidFileHandle);
  std::optional<SafeSave> whole = SafeSave::Create(Target(), {});
  ASSERT_TRUE(whole && whole->AppendFrom(source, 10) && whole->AppendFrom(source, -1));
  ASSERT_TRUE(whole->Commit(CommitMode::ReplaceTarget));
  EXPECT_EQ(TargetContent(), NewContent());

  ASSERT_TRUE(SetFilePointer(source, 0, SeekOrigin::Begin, nullptr));
  std::optional<SafeSave> tooMuch = SafeSave::Create(Target(), {});
  ASSERT_TRUE(tooMuch);
  EXPECT_FALSE(tooMuch->AppendFrom(source, static_cast<std::int64_t>(NewContent().size()) + 1));
  EXPECT_EQ(tooMuch->Error(), win32_error::HandleEof);
  CloseHandle(source);
}

TEST_F(SafeSaveTest, AppendRangeCopiesFromAnyOffsetBetweenWritesAndFailsOnAShortSource) {
  scratch.WriteFile("source.bin", NewContent());
  const FileHandle source =
      CreateFile(scratch.PathOf("source.bin"), FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
  ASSERT_NE(source, InvalidFileHandle);
  const auto size = static_cast<std::int64_t>(NewContent().size());
  std::optional<SafeSave> pieces = SafeSave::Create(Target(), {});
  ASSERT_TRUE(pieces && pieces->AppendRange(source, size - 4, 4) && pieces->Write(Bytes("|")) &&
              pieces->AppendRange(source, 0, size) && pieces->AppendRange(source, 3, 0));
  EXPECT_EQ(pieces->Size(), 4 + 1 + size);
  ASSERT_TRUE(pieces->Commit(CommitMode::ReplaceTarget));
  EXPECT_EQ(TargetContent(), NewContent().substr(NewContent().size() - 4) + "|" + NewContent());

  std::optional<SafeSave> tooMuch = SafeSave::Create(Target(), {});
  ASSERT_TRUE(tooMuch);
  EXPECT_FALSE(tooMuch->AppendRange(source, 2, size));
  EXPECT_EQ(tooMuch->Error(), win32_error::HandleEof);
  EXPECT_EQ(tooMuch->Size(), size - 2) << "what the source held was appended";
  EXPECT_FALSE(tooMuch->Write(Bytes("x"))) << "the failure is sticky";

  file_faults::Fail(file_faults::Operation::Write, 1, file_faults::Persistence::Once);
  std::optional<SafeSave> refused = SafeSave::Create(Target(), {});
  ASSERT_TRUE(refused);
  EXPECT_FALSE(refused->AppendRange(source, 0, size)) << "a range copy is a write to the fault table";
  EXPECT_TRUE(file_faults::Fired(file_faults::Operation::Write));
  CloseHandle(source);
}

TEST_F(SafeSaveTest, TheDateIsSetLastAndARequiredOneMustBeSet) {
  std::optional<SafeSave> dated = SafeSave::Create(Target(), {});
  ASSERT_TRUE(dated && dated->Write(Bytes("dated")));
  dated->StampDate(NewDate, DateRequirement::Required);
  ASSERT_TRUE(dated->Commit(CommitMode::ReplaceTarget));
  EXPECT_TRUE(dated->DateStamped());
  const FileHandle file = CreateFile(Target(), FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
  std::uint32_t dosDateTime = 0;
  EXPECT_TRUE(GetFileDosDateTime(file, dosDateTime));
  CloseHandle(file);
  EXPECT_EQ(dosDateTime, NewDate);

  file_faults::Fail(Operation::SetDate, 1, Persistence::FromThenOn, win32_error::AccessDenied);
  std::optional<SafeSave> bestEffort = SafeSave::Create(Target(), {});
  ASSERT_TRUE(bestEffort && bestEffort->Write(Bytes("undated")));
  bestEffort->StampDate(NewDate, DateRequirement::BestEffort);
  EXPECT_TRUE(bestEffort->Commit(CommitMode::ReplaceTarget));
  EXPECT_FALSE(bestEffort->DateStamped());
  EXPECT_EQ(TargetContent(), "undated");

  std::optional<SafeSave> required = SafeSave::Create(Target(), {});
  ASSERT_TRUE(required && required->Write(Bytes("refused")));
  required->StampDate(NewDate, DateRequirement::Required);
  EXPECT_FALSE(required->Commit(CommitMode::ReplaceTarget));
  EXPECT_EQ(required->Error(), win32_error::AccessDenied);
  EXPECT_EQ(TargetContent(), "undated");
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
}

TEST_F(SafeSaveTest, OnlyTheDeviceDurabilityFlushesTheFileAndItsFolder) {
  file_faults::Fail(Operation::Flush, 1, Persistence::FromThenOn);
  std::optional<SafeSave> lazy = SafeSave::Create(Target(), {SaveDurability::LeaveToSystem, {}, "~sav"});
  ASSERT_TRUE(lazy && lazy->Write(Bytes("lazy")));
  EXPECT_TRUE(lazy->Commit(CommitMode::ReplaceTarget));
  EXPECT_FALSE(file_faults::Fired(Operation::Flush)) << "no flush at all";

  // The second flush is the folder's, after the move.
  file_faults::Fail(Operation::Flush, 2, Persistence::Once);
  std::optional<SafeSave> durable = SafeSave::Create(Target(), {});
  ASSERT_TRUE(durable && durable->Write(Bytes("durable")));
  EXPECT_FALSE(durable->Commit(CommitMode::ReplaceTarget));
  EXPECT_TRUE(file_faults::Fired(Operation::Flush));
  EXPECT_EQ(durable->State(), SaveState::PlacedNotDurable);
  EXPECT_EQ(TargetContent(), "durable");
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
}

TEST_F(SafeSaveTest, AWorkFolderElsewhereIsCopiedBesideTheTargetAtCommit) {
  scratch.MakeFolder("work");
  std::optional<SafeSave> save = SafeSave::Create(Target(), InWorkFolder());
  ASSERT_TRUE(save);
  EXPECT_EQ(std::filesystem::path(save->WorkPath()).parent_path(), std::filesystem::path(scratch.PathOf("work")));
  ASSERT_TRUE(WriteNewContent(*save));
  save->StampDate(NewDate, DateRequirement::Required);
  ASSERT_TRUE(save->Commit(CommitMode::ReplaceTarget));
  EXPECT_TRUE(save->DateStamped());
  EXPECT_EQ(TargetContent(), NewContent());
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"target.zip"});
  EXPECT_TRUE(scratch.FileNames("work").empty());
}

// ---------------------------------------------------------------------------
// Every operation of the fault table failing in turn

struct SaveSetup {
  const char* description;
  CommitMode mode;
  bool targetExists;
  bool inWorkFolder;
};

void PrintTo(const SaveSetup& setup, std::ostream* out) { *out << setup.description; }

class EveryFault : public SafeSaveTest, public ::testing::WithParamInterface<SaveSetup> {
 protected:
  // Runs one save with the fault planned; false when the fault was not reached.
  bool SaveWithFault(Operation operation, std::uint32_t callNumber) {
    const SaveSetup& setup = GetParam();
    file_faults::Clear();
    std::filesystem::remove_all(scratch.PathOf("work"));
    scratch.MakeFolder("work");
    for (const std::string& name : scratch.FileNames()) {
      EXPECT_TRUE(DeleteFile(scratch.PathOf(name))) << name;
    }
    if (setup.targetExists) {
      scratch.WriteFile("target.zip", OldContent);
    }
    const std::size_t trashedBefore = Trashed().value_or(std::multiset<std::string>{}).size();
    file_faults::Fail(operation, callNumber, Persistence::Once);
    std::optional<SafeSave> save = SafeSave::Create(Target(), setup.inWorkFolder ? InWorkFolder() : SaveOptions{});
    bool committed = false;
    SaveState state = SaveState::Abandoned;
    std::string oldFileName;
    if (save) {
      const bool written = WriteNewContent(*save);
      save->StampDate(NewDate, DateRequirement::Required);
      committed = save->Commit(setup.mode);
      EXPECT_TRUE(written || !committed);
      state = save->State();
      oldFileName = save->OldFileName();
    }
    const bool fired = file_faults::Fired(operation);
    file_faults::Clear();
    CheckOutcome(operation, committed, state, oldFileName, trashedBefore);
    return fired;
  }

  void CheckOutcome(Operation operation, bool committed, SaveState state, const std::string& oldFileName,
                    std::size_t trashedBefore) {
    const SaveSetup& setup = GetParam();
    const std::optional<std::string> old =
        setup.targetExists ? std::optional<std::string>(OldContent) : std::nullopt;
    std::vector<std::string> expectedFiles;
    if (committed) {
      EXPECT_EQ(state, SaveState::Committed);
    }
    switch (state) {
      case SaveState::Committed:
      case SaveState::PlacedNotDurable:
        EXPECT_EQ(TargetContent(), NewContent());
        break;
      case SaveState::PlacedOldKept:
        EXPECT_EQ(TargetContent(), NewContent());
        EXPECT_EQ(ReadWhole(oldFileName), OldContent);
        expectedFiles.push_back(std::filesystem::path(oldFileName).filename().string());
        break;
      case SaveState::Open:
      case SaveState::Abandoned:
      case SaveState::NotPlaced:
        EXPECT_EQ(TargetContent(), old) << "the target is as it was";
        break;
    }
    if (TargetContent()) {
      expectedFiles.push_back("target.zip");
    }
    std::sort(expectedFiles.begin(), expectedFiles.end());
    if (operation == Operation::Delete) {
      // A temporary file or a second name whose deletion failed may stay behind:
      // the promise is about the target alone, and what stays is only ever one of
      // the save's own files.
      for (const std::string& name : scratch.FileNames()) {
        const bool expected = std::find(expectedFiles.begin(), expectedFiles.end(), name) != expectedFiles.end();
        EXPECT_TRUE(expected || name.ends_with(".tmp") || name.starts_with("target (old")) << name;
      }
      return;
    }
    EXPECT_EQ(scratch.FileNames(), expectedFiles) << "no temporary file is left";
    EXPECT_TRUE(scratch.FileNames("work").empty()) << "nor in the work folder";
    const std::optional<std::multiset<std::string>> trashed = Trashed();
    if (trashed && setup.mode == CommitMode::ReplaceAndRecycleOld && setup.targetExists) {
      const bool oldRecycled = state == SaveState::Committed || state == SaveState::PlacedNotDurable;
      EXPECT_EQ(trashed->size(), trashedBefore + (oldRecycled ? 1 : 0)) << "the old file reaches the recycle bin";
    }
  }
};

TEST_P(EveryFault, LeavesTheCompleteOldOrTheCompleteNewFileAndNoTemporaryFile) {
  for (const Operation operation : file_faults::AllOperations) {
    std::uint32_t callNumber = 1;
    while (true) {
      SCOPED_TRACE(std::string(file_faults::NameOf(operation)) + " call " + std::to_string(callNumber));
      if (!SaveWithFault(operation, callNumber)) {
        break;
      }
      ++callNumber;
      ASSERT_LT(callNumber, 50u) << "the save never completes";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EveryFault,
    ::testing::Values(SaveSetup{"replacing", CommitMode::ReplaceTarget, true, false},
                      SaveSetup{"creating only", CommitMode::CreateOnly, false, false},
                      SaveSetup{"recycling the old file", CommitMode::ReplaceAndRecycleOld, true, false},
                      SaveSetup{"replacing from a work folder", CommitMode::ReplaceTarget, true, true},
                      SaveSetup{"recycling from a work folder", CommitMode::ReplaceAndRecycleOld, true, true}),
    [](const auto& named) {
      std::string name = named.param.description;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

}  // namespace
