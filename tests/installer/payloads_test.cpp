// Writing and removing the payloads: a new file moved over the old name, an
// archive that never overwrites another installer's, nothing half-written.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "installer/payloads.h"
#include "platform/file_faults.h"
#include "tests/installer/installer_machine.h"

namespace installer {
namespace {

using installer_test::AsText;
using installer_test::InstallerMachine;
using installer_test::ReadWholeFile;

const std::vector<std::uint8_t> NewImage{'n', 'e', 'w', ' ', 'i', 'm', 'a', 'g', 'e'};

class Payloads : public testing::Test {
 protected:
  ~Payloads() override { platform::file_faults::Clear(); }
  [[nodiscard]] std::string InTemp(const std::string& name) const { return machine.TempFolder() + "/" + name; }

  InstallerMachine machine;
};

TEST_F(Payloads, ANewEngineReplacesTheOldNameWhileAnOpenCopyKeepsItsBytes) {
  machine.scratch.WriteFile("temp/unzdll.dll", "old engine");
  std::ifstream runningCopy(InTemp("unzdll.dll"), std::ios::binary);

  ASSERT_EQ(WritePayload(InTemp("unzdll.dll"), NewImage), PayloadWrite::Written);

  EXPECT_EQ(ReadWholeFile(InTemp("unzdll.dll")), "new image");
  const std::string stillSeen((std::istreambuf_iterator<char>(runningCopy)), std::istreambuf_iterator<char>());
  EXPECT_EQ(stillSeen, "old engine");
  EXPECT_EQ(machine.TempFolderFiles(), std::vector<std::string>{"unzdll.dll"});
}

TEST_F(Payloads, AFailedWriteLeavesTheOldFileAndNoNewOne) {
  machine.scratch.WriteFile("temp/unzdll.dll", "old engine");
  platform::file_faults::Fail(platform::file_faults::Operation::Write, 1,
                              platform::file_faults::Persistence::FromThenOn);
  EXPECT_EQ(WritePayload(InTemp("unzdll.dll"), NewImage), PayloadWrite::Failed);
  EXPECT_EQ(CreatePayload(InTemp("zz1.zip"), NewImage), PayloadWrite::Failed);
  platform::file_faults::Clear();
  EXPECT_EQ(ReadWholeFile(InTemp("unzdll.dll")), "old engine");
  EXPECT_EQ(machine.TempFolderFiles(), std::vector<std::string>{"unzdll.dll"});
}

// Each operation of the fault table failing in turn, at each of its calls: the
// name holds the old file or the complete new one, and no temporary file stays.
// Only a failing Delete (the clean-up of a failed write) may leave its temporary
// file; the name still holds the old file then.
TEST_F(Payloads, EveryFailingFileOperationLeavesTheOldFileOrTheNewOneAndNothingElse) {
  namespace faults = platform::file_faults;
  struct Writer {
    const char* name;
    PayloadWrite (*write)(std::string_view, std::span<const std::uint8_t>);
    std::optional<std::string> before;
  };
  for (const Writer& writer : {Writer{"WritePayload", WritePayload, "old engine"},
                               Writer{"CreatePayload", CreatePayload, std::nullopt}}) {
    for (const faults::Operation operation : faults::AllOperations) {
      for (std::uint32_t callNumber = 1;; ++callNumber) {
        SCOPED_TRACE(std::string(writer.name) + ", " + std::string(faults::NameOf(operation)) + " call " +
                     std::to_string(callNumber));
        std::filesystem::remove_all(machine.TempFolder());
        machine.scratch.MakeFolder("temp");
        if (writer.before) {
          machine.scratch.WriteFile("temp/payload.bin", *writer.before);
        }
        faults::Fail(operation, callNumber, faults::Persistence::Once);
        const PayloadWrite result = writer.write(InTemp("payload.bin"), NewImage);
        const bool fired = faults::Fired(operation);
        faults::Clear();
        const std::optional<std::string> now = ReadWholeFile(InTemp("payload.bin"));
        if (result == PayloadWrite::Written) {
          EXPECT_EQ(now, "new image");
        } else {
          EXPECT_EQ(result, PayloadWrite::Failed);
          EXPECT_EQ(now, writer.before);
        }
        const std::vector<std::string> files = machine.TempFolderFiles();
        if (operation != faults::Operation::Delete) {
          EXPECT_EQ(files, now ? std::vector<std::string>{"payload.bin"} : std::vector<std::string>{});
        }
        if (!fired) {
          break;
        }
        ASSERT_LT(callNumber, 20u);
      }
    }
  }
}

TEST_F(Payloads, AnArchiveIsNeverWrittenOverAnExistingFile) {
  machine.scratch.WriteFile("temp/zz1.zip", "another installer's archive");
  EXPECT_EQ(CreatePayload(InTemp("zz1.zip"), NewImage), PayloadWrite::NameTaken);
  EXPECT_EQ(ReadWholeFile(InTemp("zz1.zip")), "another installer's archive");
}

TEST_F(Payloads, DeploymentNamesBothFilesInTheTemporaryFolderAndRemovalDeletesThem) {
  const TTempFolder tempFolder;
  const PayloadFiles files = DeployPayloads(tempFolder, EngineImage, PatchImage);

  EXPECT_EQ(files.UnzDllFileName, tempFolder.Path + "unzdll.dll");
  EXPECT_TRUE(std::regex_match(files.PatchZipFileName, std::regex(".*\\\\zz[0-9A-F]{1,4}\\.zip")))
      << files.PatchZipFileName;
  EXPECT_EQ(files.PatchZipFileName.substr(0, tempFolder.Path.size()), tempFolder.Path);
  EXPECT_EQ(ReadWholeFile(files.UnzDllFileName), AsText(EngineImage));
  EXPECT_EQ(ReadWholeFile(files.PatchZipFileName), AsText(PatchImage));

  RemovePayloads(files);
  EXPECT_TRUE(machine.TempFolderFiles().empty());
}

TEST_F(Payloads, ASecondInstallerOfTheSameSecondTakesTheNextArchiveName) {
  const TTempFolder tempFolder;
  // The archives of installers started in this second and the next one.
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  std::vector<std::string> taken;
  for (const std::int64_t second : {now, now + 1}) {
    std::array<char, 256> name{};
    std::uint32_t number = 0;
    tempFolder.UniqueFileNameAt(second, name.data(), "zz", 250, number);
    taken.push_back(std::string(name.data()) + ".zip");
    ASSERT_EQ(CreatePayload(taken.back(), NewImage), PayloadWrite::Written);
  }

  const PayloadFiles files = DeployPayloads(tempFolder, EngineImage, PatchImage);

  for (const std::string& name : taken) {
    EXPECT_NE(files.PatchZipFileName, name);
    EXPECT_EQ(ReadWholeFile(name), "new image");
  }
  EXPECT_EQ(ReadWholeFile(files.PatchZipFileName), AsText(PatchImage));
}

}  // namespace
}  // namespace installer
