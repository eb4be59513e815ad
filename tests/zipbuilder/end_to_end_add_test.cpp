// Add, AddFromZipStream, CompressStream and Delete through the real zip engine of
// this build; what they write is read back with the component's own List and the
// real unzip engine. A failed write and a cancel in the middle of an add leave
// the archive exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "platform/file_faults.h"
#include "tests/platform/test_machine.h"
#include "tests/zipbuilder/test_engine_client.h"
#include "tests/zipbuilder/test_files.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

using platform::file_faults::Operation;
using platform::file_faults::Persistence;
using testing_support::RealEngineFolder;
using testing_support::ScratchFolder;

// Bytes of every value, so that compression and CRC see more than text.
std::string BinaryContent(std::size_t size, int seed) {
  std::string content(size, '\0');
  for (std::size_t index = 0; index < size; ++index) {
    content[index] = static_cast<char>((index * 7 + index / 251 + static_cast<std::size_t>(seed)) & 0xFF);
  }
  return content;
}

// Bytes that do not compress: the engine writes in 1 MiB blocks, so a few MiB of
// them make an add of several writes.
std::string NoiseContent(std::size_t size, std::uint32_t seed) {
  std::string content(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1u;
  for (char& byte : content) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state & 0xFF);
  }
  return content;
}

class EndToEndAdd : public testing::Test {
 protected:
  EndToEndAdd() : component(toolkit) {
    component.SetDLLDirectory(RealEngineFolder());
    component.SetUnattended(true);
    component.SetHowToDelete(DeleteOpts::htdFinal);
    component.SetAddOptions({AddOptsEnum::AddDirNames, AddOptsEnum::AddRecurseDirs});
    component.OnMessage = [this](TZipBuilder&, int code, const std::string& text) {
      messages.push_back(std::to_string(code) + " " + text);
    };
    files = {{"src/big.bin", BinaryContent(300'000, 1)},
             {"src/readme.txt", "Read me first.\r\n"},
             {"src/sub/notes.txt", std::string(20'000, 'n') + "end"}};
    for (const auto& [name, content] : files) {
      if (name.find("/sub/") != std::string::npos) {
        folder.CreateFolder("src/sub");
      } else {
        folder.CreateFolder("src");
      }
      folder.WriteFile(name, content);
    }
    component.SetRootDir(folder.Path());
  }

  // The names List read, with "\" between folders.
  [[nodiscard]] std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const auto& entry : component.DirEntries()) {
      names.push_back(entry->FileName);
    }
    return names;
  }

  // Extracts everything with the real unzip engine into `target` and answers what came out.
  std::map<std::string, std::string> ExtractAll(const std::string& target) {
    folder.CreateFolder(target);
    component.SetExtrBaseDir(folder.PathOf(target));
    component.SetExtrOptions({ExtrOptsEnum::ExtrDirNames, ExtrOptsEnum::ExtrOverWrite});
    component.Extract();
    std::map<std::string, std::string> extracted;
    for (const auto& [name, content] : files) {
      if (auto read = folder.ReadFile(target + "/" + name)) {
        extracted[name] = *read;
      }
    }
    return extracted;
  }

  // Three files and their two folders, which get entries of their own (the
  // directory reader leaves those out of DirEntries).
  static constexpr int SourceEntries = 5;

  void AddSources() {
    component.SetZipFileName(folder.PathOf("out.zip"));
    component.SetFSpecArgs({"src"});
    component.Add();
  }

  HeadlessToolkit toolkit;
  TZipBuilder component;
  ScratchFolder folder;
  std::map<std::string, std::string> files;
  std::vector<std::string> messages;
};

TEST_F(EndToEndAdd, AddedFilesListAndExtractByteForByte) {
  AddSources();

  EXPECT_EQ(component.ProcessedCount(), SourceEntries) << testing::PrintToString(messages);
  EXPECT_EQ(component.ErrCode(), 0);
  const std::vector<std::string> names = ListedNames();
  EXPECT_EQ(names.size(), 3u) << testing::PrintToString(names);
  EXPECT_EQ(ExtractAll("check"), files);
  EXPECT_EQ(component.ZipEngineHandle(), nullptr);
}

TEST_F(EndToEndAdd, DeleteRemovesTheSelectedEntryOnly) {
  AddSources();
  ASSERT_EQ(component.ProcessedCount(), SourceEntries);

  component.SetFSpecArgs({"src/readme.txt"});
  component.Delete();

  EXPECT_EQ(component.ProcessedCount(), 1);
  EXPECT_EQ(component.DirEntries().size(), 2u);
  files.erase("src/readme.txt");
  EXPECT_EQ(ExtractAll("after"), files);
}

// Encrypting without a Password: the engine asks for a new password, so the
// component shows the add prompt (enter, then confirm; no Cancel all).
class EncryptedAddWithoutPassword : public EndToEndAdd {
 protected:
  EncryptedAddWithoutPassword() {
    component.SetUnattended(false);
    component.SetAddOptions({AddOptsEnum::AddDirNames, AddOptsEnum::AddRecurseDirs, AddOptsEnum::AddEncrypt});
  }

  void TypeTwice(const std::string& first, const std::string& second) {
    toolkit.QueuePasswordDialogAnswer({DialogAnswer::Ok, first});
    toolkit.QueuePasswordDialogAnswer({DialogAnswer::Ok, second});
  }

  void ExpectTheAddPrompt() const {
    const std::vector<PasswordDialogRequest>& dialogs = toolkit.PasswordDialogsShown();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].Prompt, "Enter Password ");
    EXPECT_EQ(dialogs[1].Prompt, "Confirm Password ");
    const TPasswordButtonSet okCancel{TPasswordButton::pbOk, TPasswordButton::pbCancel};
    EXPECT_EQ(dialogs[0].Buttons, okCancel);
    EXPECT_EQ(dialogs[1].Buttons, okCancel);
  }
};

TEST_F(EncryptedAddWithoutPassword, AsksTwiceAndEncryptsWithTheConfirmedPassword) {
  TypeTwice("Secret1", "Secret1");
  AddSources();

  ExpectTheAddPrompt();
  EXPECT_EQ(component.ProcessedCount(), SourceEntries) << testing::PrintToString(messages);
  component.SetUnattended(true);
  EXPECT_EQ(ExtractAll("without"), (std::map<std::string, std::string>{})) << "the entries are encrypted";
  component.SetPassword("Secret1");
  EXPECT_EQ(ExtractAll("with"), files);
}

TEST_F(EncryptedAddWithoutPassword, AConfirmationThatDiffersIsReportedAndNothingIsAdded) {
  TypeTwice("Secret1", "secret1");
  AddSources();

  ExpectTheAddPrompt();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), "0 Error - passwords do NOT match\nPassword ignored"), 1)
      << testing::PrintToString(messages);
  EXPECT_EQ(ListedNames(), std::vector<std::string>{}) << "no file is added unencrypted";
  EXPECT_EQ(component.EngineErrCode(), 8) << "the engine's PasswordMissing";
}

TEST_F(EndToEndAdd, AStreamBecomesAnEntryAndCompressedMemoryInflatesBack) {
  AddSources();
  const std::string content = BinaryContent(70'000, 5);
  TZipStream& stream = component.ZipStream();
  ASSERT_TRUE(stream.SetSize(content.size()));
  std::copy(content.begin(), content.end(), stream.Memory());

  component.AddFromZipStream("memory/entry.bin", 0, 0);

  ASSERT_EQ(component.ProcessedCount(), 1) << testing::PrintToString(messages);
  EXPECT_EQ(component.DirEntries().size(), 4u);
  ASSERT_NE(component.ExtractEntryToMemory("memory\\entry.bin"), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), stream.Size()), content);

  TZipStream source;
  ASSERT_TRUE(source.SetSize(content.size()));
  std::copy(content.begin(), content.end(), source.Memory());
  TZipStream* compressed = component.CompressStream(source);
  ASSERT_NE(compressed, nullptr);
  ASSERT_GT(compressed->Size(), 6u);
  EXPECT_LT(compressed->Size(), content.size());
  TZipStream copy;
  ASSERT_TRUE(copy.SetSize(compressed->Size()));
  std::copy_n(compressed->Memory(), compressed->Size(), copy.Memory());
  ASSERT_NE(component.ExtractMemoryToMemory(copy, static_cast<std::int32_t>(content.size())), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), stream.Size()), content);
}

TEST_F(EndToEndAdd, ACancelInTheMiddleLeavesTheArchiveAsItWas) {
  AddSources();
  ASSERT_EQ(component.ProcessedCount(), SourceEntries);
  const auto before = folder.ReadFile("out.zip");
  folder.CreateFolder("more");
  folder.WriteFile("more/a.bin", BinaryContent(200'000, 2));
  folder.WriteFile("more/b.bin", BinaryContent(200'000, 3));
  int started = 0;
  component.OnProgress = [&started](TZipBuilder& sender, ProgressType type, const std::string&, std::int32_t) {
    if (type == ProgressType::pgNewFile && ++started == 2) {
      sender.SetCancel(true);
    }
  };

  component.SetFSpecArgs({"more"});
  component.Add();

  EXPECT_EQ(started, 2);
  EXPECT_EQ(component.ProcessedCount(), 0);
  EXPECT_TRUE(folder.ReadFile("out.zip") == before) << "the archive changed";
  EXPECT_FALSE(component.Cancel());
}

// The real engine with the entry points of its fault table; kept loaded by the
// test so that the table set here is the one the component's load uses.
class FaultyEngine {
 public:
  FaultyEngine() {
    library_ = platform::LoadLibrary(Folder() + "\\" + engines::ZipEngineFileName);
    if (library_ != nullptr) {
      fail_ = reinterpret_cast<FailFunction>(platform::GetProcAddress(library_, "TestZipEngineFailFileOperation"));
      fired_ = reinterpret_cast<FiredFunction>(platform::GetProcAddress(library_, "TestZipEngineFileFaultFired"));
      clear_ = reinterpret_cast<ClearFunction>(platform::GetProcAddress(library_, "TestZipEngineClearFileFaults"));
    }
  }
  ~FaultyEngine() {
    if (clear_ != nullptr) {
      clear_();
    }
    if (library_ != nullptr) {
      platform::FreeLibrary(library_);
    }
  }
  FaultyEngine(const FaultyEngine&) = delete;
  FaultyEngine& operator=(const FaultyEngine&) = delete;

  [[nodiscard]] static std::string Folder() { return std::string(ZIPBUILDER_TEST_ENGINE_ROOT) + "/file_faults"; }
  [[nodiscard]] bool Usable() const { return fail_ != nullptr && fired_ != nullptr && clear_ != nullptr; }
  void Fail(Operation operation, std::uint32_t callNumber, Persistence persistence,
            platform::Win32Error error = platform::win32_error::DiskFull) {
    fail_(static_cast<std::uint32_t>(operation), callNumber, static_cast<std::uint32_t>(persistence), error);
  }
  [[nodiscard]] bool Fired(Operation operation) { return fired_(static_cast<std::uint32_t>(operation)) != 0; }
  void Clear() { clear_(); }

 private:
  using FailFunction = void(ENGINE_CALL*)(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t);
  using FiredFunction = std::int32_t(ENGINE_CALL*)(std::uint32_t);
  using ClearFunction = void(ENGINE_CALL*)();
  platform::LibraryHandle library_ = nullptr;
  FailFunction fail_ = nullptr;
  FiredFunction fired_ = nullptr;
  ClearFunction clear_ = nullptr;
};

TEST_F(EndToEndAdd, AFailedWriteAtAnyPointLeavesTheArchiveAsItWas) {
  AddSources();
  ASSERT_EQ(component.ProcessedCount(), SourceEntries);
  const auto before = folder.ReadFile("out.zip");
  folder.CreateFolder("more");
  folder.WriteFile("more/a.bin", NoiseContent(1'600'000, 2));
  folder.WriteFile("more/b.bin", NoiseContent(1'600'000, 3));
  FaultyEngine engine;
  ASSERT_TRUE(engine.Usable());
  component.SetDLLDirectory(FaultyEngine::Folder());

  // The first write, writes in the middle of the new entries, and the last.
  for (const std::uint32_t successfulWrites : {0u, 1u, 2u, 3u}) {
    engine.Fail(Operation::Write, successfulWrites + 1, Persistence::FromThenOn);
    component.SetFSpecArgs({"more"});
    component.Add();
    engine.Clear();
    EXPECT_EQ(component.ProcessedCount(), 0) << successfulWrites;
    EXPECT_TRUE(folder.ReadFile("out.zip") == before) << "changed after " << successfulWrites << " writes";
  }

  // The same engine without faults adds the file.
  component.SetFSpecArgs({"more"});
  component.Add();
  EXPECT_EQ(component.ProcessedCount(), 3) << "the files and their folder";
  EXPECT_EQ(component.DirEntries().size(), 5u);
}

// Add and Delete with every operation of the engine's fault table failing in
// turn, at each of its calls, with and without the recycle bin and a TempDir.
struct FaultRun {
  const char* Description;
  bool Deletes;
  DeleteOpts HowToDelete;
  bool WithTempDir;
};

void PrintTo(const FaultRun& run, std::ostream* out) { *out << run.Description; }

class EveryEngineFault : public EndToEndAdd, public testing::WithParamInterface<FaultRun> {
 protected:
  void SetUp() override {
    AddSources();
    ASSERT_EQ(component.ProcessedCount(), SourceEntries);
    before = folder.ReadFile("out.zip").value_or("");
    names = ListedNames();
    folder.CreateFolder("more");
    folder.WriteFile("more/a.bin", BinaryContent(70'000, 7));
    folder.WriteFile("more/b.txt", "small\r\n");
    folder.CreateFolder("tempdir");
    component.SetDLLDirectory(FaultyEngine::Folder());
    component.SetHowToDelete(GetParam().HowToDelete);
    component.SetTempDir(GetParam().WithTempDir ? folder.PathOf("tempdir") : "");
  }

  // The names the archive lists after the operation succeeded.
  [[nodiscard]] std::vector<std::string> NewNames() const {
    std::vector<std::string> expected = names;
    if (GetParam().Deletes) {
      std::erase(expected, "src\\readme.txt");
    } else {
      expected.push_back("more\\a.bin");
      expected.push_back("more\\b.txt");
    }
    std::sort(expected.begin(), expected.end());
    return expected;
  }

  void Run() {
    component.SetZipFileName(folder.PathOf("out.zip"));
    if (GetParam().Deletes) {
      component.SetFSpecArgs({"src/readme.txt"});
      component.Delete();
    } else {
      component.SetFSpecArgs({"more"});
      component.Add();
    }
  }

  // The files of a folder, without its subfolders.
  [[nodiscard]] std::vector<std::string> FilesIn(const std::string& path) const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
      if (entry.is_regular_file()) {
        found.push_back(entry.path().filename().string());
      }
    }
    return found;
  }

  // How many files in the recycle bin hold the old archive.
  [[nodiscard]] int RecycledOldArchives() const {
    const std::optional<std::string> trash = machine.TrashFolder();
    int count = 0;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(trash.value_or("")) / "files",
                                                                 missing)) {
      std::ifstream stream(entry.path(), std::ios::binary);
      const std::string content{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
      count += content == before ? 1 : 0;
    }
    return count;
  }

  // The recycle bin is a scratch one.
  platform_test::TestMachine machine;
  std::string before;
  std::vector<std::string> names;
};

TEST_P(EveryEngineFault, LeavesTheOldArchiveOrTheCompleteNewOneAndNoTemporaryFile) {
  FaultyEngine engine;
  ASSERT_TRUE(engine.Usable());
  for (const Operation operation : platform::file_faults::AllOperations) {
    for (std::uint32_t callNumber = 1;; ++callNumber) {
      SCOPED_TRACE(std::string(platform::file_faults::NameOf(operation)) + " call " + std::to_string(callNumber));
      folder.WriteFile("out.zip", before);
      const int recycledBefore = RecycledOldArchives();
      engine.Fail(operation, callNumber, Persistence::Once);
      Run();
      const bool fired = engine.Fired(operation);
      engine.Clear();

      const bool unchanged = folder.ReadFile("out.zip") == before;
      if (unchanged) {
        EXPECT_EQ(component.ProcessedCount(), 0) << "an archive left as it was is reported";
      } else {
        TZipBuilder fresh;
        fresh.SetUnattended(true);
        fresh.SetZipFileName(folder.PathOf("out.zip"));
        EXPECT_EQ(fresh.ErrCode(), 0) << fresh.LastMessage();
        std::vector<std::string> listed;
        for (const auto& entry : fresh.DirEntries()) {
          listed.push_back(entry->FileName);
        }
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, NewNames()) << "the complete new archive";
      }
      if (operation == Operation::Delete) {
        // What cannot be promised when deleting fails: the temporary file whose
        // deletion failed stays (in TempDir, or beside the archive). The archive
        // under its name is still the old or the complete new one.
        for (const std::string& name : FilesIn(folder.Path())) {
          EXPECT_TRUE(name == "out.zip" || name.ends_with(".tmp")) << name;
        }
        std::filesystem::remove_all(folder.PathOf("tempdir"));
        folder.CreateFolder("tempdir");
        for (const std::string& name : FilesIn(folder.Path())) {
          if (name != "out.zip") {
            std::filesystem::remove(std::filesystem::path(folder.Path()) / name);
          }
        }
      } else {
        EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"out.zip"}) << "no temporary file";
        EXPECT_TRUE(FilesIn(folder.PathOf("tempdir")).empty()) << "nor in TempDir";
      }
      if (!unchanged && GetParam().HowToDelete == DeleteOpts::htdAllowUndo && machine.TrashFolder()) {
        EXPECT_EQ(RecycledOldArchives(), recycledBefore + 1) << "the old archive is in the recycle bin";
      }
      if (!fired) {
        EXPECT_FALSE(unchanged) << "without a fault the operation succeeds";
        break;
      }
      ASSERT_LT(callNumber, 40u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, EveryEngineFault,
    testing::Values(FaultRun{"add", false, DeleteOpts::htdFinal, false},
                    FaultRun{"add with the recycle bin", false, DeleteOpts::htdAllowUndo, false},
                    FaultRun{"add with the recycle bin and a TempDir", false, DeleteOpts::htdAllowUndo, true},
                    FaultRun{"delete", true, DeleteOpts::htdFinal, false},
                    FaultRun{"delete with the recycle bin", true, DeleteOpts::htdAllowUndo, false},
                    FaultRun{"delete with a TempDir", true, DeleteOpts::htdFinal, true}),
    [](const auto& named) {
      std::string name = named.param.Description;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

}  // namespace
}  // namespace zipbuilder
