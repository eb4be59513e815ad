// Extraction through the real unzip engine of this build, with the installer's
// settings: ExtrOptions [ExtrDirNames, ExtrOverWrite], Unattended, no password and
// no handler but OnProgress.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "tests/zipbuilder/test_engine_client.h"
#include "tests/zipbuilder/test_files.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

using testing_support::ArchiveEntry;
using testing_support::BuildArchive;
using testing_support::BuildDeflatedMemoryStream;
using testing_support::EntryCompression;
using testing_support::RealEngineFolder;
using testing_support::ScratchFolder;

struct ProgressCall {
  ProgressType Type;
  std::string FileName;
  std::int32_t FileSize;
};

// Bytes of every value, so that the engine's inflating and CRC check see more than text.
std::string LibraryLikeContent() {
  std::string content;
  for (int index = 0; index < 150'000; ++index) {
    content += static_cast<char>((index * 7 + index / 251) & 0xFF);
  }
  return content;
}

class EndToEndExtraction : public testing::Test {
 protected:
  EndToEndExtraction() : component(toolkit) {
    entries = {
        {"sorlu.dll", LibraryLikeContent(), EntryCompression::Deflated},
        {"docs/readme.txt", "Read me first.\r\n", EntryCompression::Stored},
        {"docs/sub/notes.txt", std::string(5000, 'n') + "end", EntryCompression::Deflated},
    };
    folder.WriteFile("patch.zip", BuildArchive(entries));
    folder.CreateFolder("install");
    component.SetDLLDirectory(RealEngineFolder());
    component.SetExtrOptions({ExtrOptsEnum::ExtrDirNames, ExtrOptsEnum::ExtrOverWrite});
    component.SetUnattended(true);
    component.OnProgress = [this](TZipBuilder&, ProgressType type, const std::string& name, std::int32_t size) {
      progress.push_back({type, name, size});
    };
  }

  [[nodiscard]] std::vector<ProgressCall> ProgressOf(ProgressType type) const {
    std::vector<ProgressCall> calls;
    for (const ProgressCall& call : progress) {
      if (call.Type == type) {
        calls.push_back(call);
      }
    }
    return calls;
  }

  HeadlessToolkit toolkit;
  TZipBuilder component;
  ScratchFolder folder;
  std::vector<ArchiveEntry> entries;
  std::vector<ProgressCall> progress;
};

TEST_F(EndToEndExtraction, TheInstallersRunExtractsEveryEntryBelowTheBaseFolder) {
  folder.WriteFile("install/sorlu.dll", "the old library");
  component.SetZipFileName(folder.PathOf("patch.zip"));
  component.SetExtrBaseDir(folder.PathOf("install"));

  component.Extract();

  EXPECT_EQ(component.ProcessedCount(), 3);
  EXPECT_EQ(folder.ReadFile("install/sorlu.dll"), entries[0].Content) << "overwritten";
  EXPECT_EQ(folder.ReadFile("install/docs/readme.txt"), entries[1].Content);
  EXPECT_EQ(folder.ReadFile("install/docs/sub/notes.txt"), entries[2].Content);

  // The engine has its private version entry: only the unattended warning, no box.
  EXPECT_EQ(component.ErrCode(), 10502);
  EXPECT_EQ(component.LastMessage(), "Warning - Unattended Extract: possible not all files extracted");
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  EXPECT_EQ(component.UnzipEngineHandle(), nullptr);
  EXPECT_EQ(component.PasswordReqCount(), 1u);
}

TEST_F(EndToEndExtraction, TheEnginesSkipReasonsArriveAsNamedSkipTypes) {
  entries.push_back({"../outside.txt", "out", EntryCompression::Stored});
  folder.WriteFile("hostile.zip", BuildArchive(entries));
  folder.WriteFile("install/sorlu.dll", "the old library");
  component.SetZipFileName(folder.PathOf("hostile.zip"));
  component.SetExtrBaseDir(folder.PathOf("install"));
  component.SetExtrOptions({ExtrOptsEnum::ExtrDirNames});
  std::vector<std::tuple<std::string, UnZipSkipTypes, int>> skipped;
  component.OnExtractSkipped = [&](TZipBuilder&, const std::string& file, UnZipSkipTypes skipType, int extError) {
    skipped.emplace_back(file, skipType, extError);
  };

  component.Extract();

  EXPECT_EQ(component.ProcessedCount(), 2);
  EXPECT_EQ(folder.ReadFile("install/sorlu.dll"), "the old library");
  EXPECT_EQ(skipped, (std::vector<std::tuple<std::string, UnZipSkipTypes, int>>{
                         {"sorlu.dll", UnZipSkipTypes::skNotOverwritten, 0},
                         {"..\\outside.txt", UnZipSkipTypes::skUnsafeName, 6}}));
}

TEST_F(EndToEndExtraction, ProgressCountsFilesThenNamesEachThenEndsTheBatch) {
  component.SetZipFileName(folder.PathOf("patch.zip"));
  component.SetExtrBaseDir(folder.PathOf("install"));

  component.Extract();

  ASSERT_GE(progress.size(), 5u);
  EXPECT_EQ(progress.front().Type, ProgressType::pgFileCount);
  EXPECT_EQ(progress.front().FileSize, 3);
  EXPECT_EQ(progress.back().Type, ProgressType::pgBatchEnd);
  EXPECT_EQ(progress.back().FileSize, 0);

  const std::vector<ProgressCall> files = ProgressOf(ProgressType::pgNewFile);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].FileName, "sorlu.dll");
  EXPECT_EQ(files[1].FileName, "docs\\readme.txt");
  EXPECT_EQ(files[2].FileName, "docs\\sub\\notes.txt");
  std::int64_t totalSize = 0;
  for (std::size_t index = 0; index < files.size(); ++index) {
    EXPECT_EQ(files[index].FileSize, static_cast<std::int32_t>(entries[index].Content.size()));
    totalSize += files[index].FileSize;
  }
  const std::vector<ProgressCall> bytes = ProgressOf(ProgressType::pgBytesDone);
  const std::int64_t bytesDone = std::accumulate(bytes.begin(), bytes.end(), std::int64_t{0},
                                                 [](std::int64_t sum, const ProgressCall& call) {
                                                   EXPECT_EQ(call.FileName, "");
                                                   return sum + call.FileSize;
                                                 });
  EXPECT_EQ(bytesDone, totalSize);
  EXPECT_EQ(component.BatchTotalSize(), totalSize);
}

TEST_F(EndToEndExtraction, OneEntryToMemoryFindsItIgnoringCase) {
  component.SetZipFileName(folder.PathOf("patch.zip"));
  ASSERT_EQ(component.EntryCount(), 3) << "the directory reader listed the archive";

  TZipStream* stream = component.ExtractEntryToMemory("DOCS\\SUB\\Notes.TXT");

  ASSERT_EQ(stream, &component.ZipStream());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream->Memory()), stream->Size()), entries[2].Content);
  EXPECT_FALSE(folder.ReadFile("install/docs/sub/notes.txt").has_value()) << "nothing is written to disk";
}

TEST_F(EndToEndExtraction, ACompressedMemoryStreamInflatesIntoZipStream) {
  const std::string content = entries[0].Content;
  const std::string compressed = BuildDeflatedMemoryStream(content);
  TZipStream source;
  ASSERT_EQ(source.Write({reinterpret_cast<const std::uint8_t*>(compressed.data()), compressed.size()}),
            compressed.size());

  TZipStream* stream = component.ExtractMemoryToMemory(source, static_cast<std::int32_t>(content.size()));

  ASSERT_EQ(stream, &component.ZipStream());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream->Memory()), stream->Size()), content);
}

}  // namespace
}  // namespace zipbuilder
