// Loading the engines: where the library is looked for, what is reported and in
// which order, and that the process error mode comes back.
#include <gtest/gtest.h>

#include <vector>

#include "platform/dynamic_library.h"
#include "tests/zipbuilder/test_engine_client.h"
#include "tests/zipbuilder/test_files.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

using testing_support::ScratchFolder;
using testing_support::TestEngine;
using testing_support::TestEngineVariant;

class EngineLoaderTest : public testing::Test {
 protected:
  EngineLoaderTest() : component(toolkit) {
    component.SetUnattended(true);
    component.OnMessage = [this](TZipBuilder& sender, int /*errCode*/, const std::string& /*message*/) {
      reported.push_back(sender.ErrCode());
    };
  }

  void Load(EngineKind engine) {
    if (engine == EngineKind::Unzip) {
      component.LoadUnzipEngine();
    } else {
      component.LoadZipEngine();
    }
  }

  void Unload(EngineKind engine) {
    if (engine == EngineKind::Unzip) {
      component.UnloadUnzipEngine();
    } else {
      component.UnloadZipEngine();
    }
  }

  [[nodiscard]] platform::LibraryHandle Handle(EngineKind engine) const {
    return engine == EngineKind::Unzip ? component.UnzipEngineHandle() : component.ZipEngineHandle();
  }

  HeadlessToolkit toolkit;
  TZipBuilder component;
  std::vector<int> reported;
};

TEST_F(EngineLoaderTest, ADLLDirectoryHoldingTheLibraryLoadsThatFile) {
  TestEngine engine(TestEngineVariant::Full, EngineKind::Unzip);
  engine.Reset(157);
  component.SetDLLDirectory(engine.Folder() + "\\");  // stored without the backslash

  component.LoadUnzipEngine();

  EXPECT_EQ(component.UnzipEngineHandle(), engine.Handle());
  EXPECT_TRUE(reported.empty());
  EXPECT_EQ(component.UnzipEngineVersion(), 157);
  EXPECT_EQ(component.UnzipEnginePrivVersion(), 1571);
  component.UnloadUnzipEngine();
  EXPECT_EQ(component.UnzipEngineHandle(), nullptr);
}

TEST_F(EngineLoaderTest, WithoutTheFileInDLLDirectoryTheSystemSearchDecides) {
  const platform::LibraryHandle bySystemSearch = platform::LoadLibrary(engines::UnzipEngineFileName);
  ASSERT_NE(bySystemSearch, nullptr) << "the build's own unzdll.dll lies beside the test program";
  const ScratchFolder folderWithoutEngine;

  for (const std::string& folder : {std::string(), folderWithoutEngine.Path()}) {
    component.SetDLLDirectory(folder);
    component.LoadUnzipEngine();
    EXPECT_EQ(component.UnzipEngineHandle(), bySystemSearch) << "DLLDirectory \"" << folder << "\"";
    component.UnloadUnzipEngine();
  }
  platform::FreeLibrary(bySystemSearch);
}

struct ReportCase {
  const char* Name;
  EngineKind Engine;
  TestEngineVariant Variant;
  std::vector<int> ReportsWithTrace;
  std::vector<int> ReportsWithoutTrace;
};

class EngineLoaderReports : public EngineLoaderTest, public testing::WithParamInterface<ReportCase> {};

TEST_P(EngineLoaderReports, TraceAnnouncesTheLoadBeforeMissingEntriesAreReported) {
  const ReportCase& expected = GetParam();
  TestEngine engine(expected.Variant, expected.Engine);
  component.SetDLLDirectory(engine.Folder());

  component.SetTrace(true);
  Load(expected.Engine);
  EXPECT_EQ(reported, expected.ReportsWithTrace);
  // A missing entry leaves the library loaded.
  EXPECT_EQ(Handle(expected.Engine), engine.Handle());
  Unload(expected.Engine);

  reported.clear();
  component.SetTrace(false);
  Load(expected.Engine);
  EXPECT_EQ(reported, expected.ReportsWithoutTrace);
  Unload(expected.Engine);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, EngineLoaderReports,
    testing::Values(ReportCase{"UnzipFull", EngineKind::Unzip, TestEngineVariant::Full, {10701}, {}},
                    ReportCase{"UnzipWithoutPrivateVersion", EngineKind::Unzip, TestEngineVariant::NoPrivateVersion,
                               {10701, 10703}, {10703}},
                    ReportCase{"UnzipWithoutExec", EngineKind::Unzip, TestEngineVariant::NoExec, {10701, 10702},
                               {10702}},
                    ReportCase{"ZipFull", EngineKind::Zip, TestEngineVariant::Full, {10601}, {}},
                    ReportCase{"ZipWithoutPrivateVersion", EngineKind::Zip, TestEngineVariant::NoPrivateVersion,
                               {10601, 10603}, {10603}},
                    ReportCase{"ZipWithoutExec", EngineKind::Zip, TestEngineVariant::NoExec, {10601, 10602},
                               {10602}}),
    [](const auto& instance) { return std::string(instance.param.Name); });

struct UnloadableCase {
  EngineKind Engine;
  const char* FileName;
  int Report;
};

class EngineLoaderUnloadable : public EngineLoaderTest, public testing::WithParamInterface<UnloadableCase> {};

// A file that is no library stands for every library that cannot be loaded: the
// system search would always find the build's own engines beside the program.
TEST_P(EngineLoaderUnloadable, ReportsTheLibraryAsNotFoundAndItsVersionsAsZero) {
  const UnloadableCase& unloadable = GetParam();
  const ScratchFolder folder;
  folder.WriteFile(unloadable.FileName, "this is no library");
  component.SetDLLDirectory(folder.Path());
  component.SetTrace(true);
  constexpr std::uint32_t OwnersErrorMode = 0x8000;
  const std::uint32_t original = platform::SetErrorMode(OwnersErrorMode);

  Load(unloadable.Engine);

  EXPECT_EQ(platform::SetErrorMode(original), OwnersErrorMode);
  EXPECT_EQ(Handle(unloadable.Engine), nullptr);
  EXPECT_EQ(reported, std::vector<int>{unloadable.Report});
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());

  const bool unzip = unloadable.Engine == EngineKind::Unzip;
  EXPECT_EQ(unzip ? component.UnzipEngineVersion() : component.ZipEngineVersion(), 0);
  EXPECT_EQ(unzip ? component.UnzipEnginePrivVersion() : component.ZipEnginePrivVersion(), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineLoaderUnloadable,
                         testing::Values(UnloadableCase{EngineKind::Unzip, "UNZDLL.DLL", 10704},
                                         UnloadableCase{EngineKind::Zip, "ZIPDLL.DLL", 10604}),
                         [](const auto& instance) {
                           return std::string(instance.param.Engine == EngineKind::Unzip ? "Unzip" : "Zip");
                         });

TEST_F(EngineLoaderTest, ASuccessfulLoadRestoresTheErrorModeToo) {
  TestEngine engine(TestEngineVariant::Full, EngineKind::Zip);
  component.SetDLLDirectory(engine.Folder());
  constexpr std::uint32_t OwnersErrorMode = 0x8001;
  const std::uint32_t original = platform::SetErrorMode(OwnersErrorMode);

  component.LoadZipEngine();

  EXPECT_EQ(platform::SetErrorMode(original), OwnersErrorMode);
  EXPECT_EQ(component.ZipEngineHandle(), engine.Handle());
  component.UnloadZipEngine();
}

TEST_F(EngineLoaderTest, LoadingALoadedEngineAgainKeepsItAsItIs) {
  TestEngine engine(TestEngineVariant::Full, EngineKind::Unzip);
  component.SetDLLDirectory(engine.Folder());
  component.LoadUnzipEngine();
  component.SetTrace(true);

  component.LoadUnzipEngine();

  EXPECT_TRUE(reported.empty());
  EXPECT_EQ(component.UnzipEngineHandle(), engine.Handle());
  component.UnloadUnzipEngine();
  EXPECT_EQ(component.UnzipEngineHandle(), nullptr);
}

TEST_F(EngineLoaderTest, VersionGettersLoadAndUnloadAnEngineThatWasNotLoaded) {
  TestEngine engine(TestEngineVariant::NoPrivateVersion, EngineKind::Zip);
  engine.Reset(151);
  component.SetDLLDirectory(engine.Folder());

  EXPECT_EQ(component.ZipEngineVersion(), 151);
  EXPECT_EQ(component.ZipEngineHandle(), nullptr);
  EXPECT_EQ(component.ZipEnginePrivVersion(), 0);
  EXPECT_EQ(reported, (std::vector<int>{10603, 10603}));
}

}  // namespace
}  // namespace zipbuilder
