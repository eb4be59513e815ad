// The version getters' loading policy. Loading itself is the engine loader's;
// these tests set up the binding a load would leave.
#include <gtest/gtest.h>

#include "tests/zipbuilder/test_access.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

std::int32_t ENGINE_CALL Version160() { return 160; }

TEST(EngineVersions, AnEngineThatCannotBeLoadedAnswersZero) {
  TZipBuilder component;
  component.SetDLLDirectory("no-such-folder-for-engines");
  EXPECT_EQ(component.UnzipEngineVersion(), 0);
  EXPECT_EQ(component.ZipEnginePrivVersion(), 0);
  EXPECT_EQ(component.UnzipEngineHandle(), nullptr);
  EXPECT_EQ(component.ZipEngineHandle(), nullptr);
}

TEST(EngineVersions, AnEngineLoadedBeforeIsAskedAndStaysLoaded) {
  TZipBuilder component;
  int libraryToken = 0;
  EngineBinding& binding = TZipBuilderTestAccess::UnzipEngine(component);
  binding.Handle = &libraryToken;
  binding.Version = &Version160;

  EXPECT_EQ(component.UnzipEngineVersion(), 160);
  EXPECT_EQ(component.UnzipEngineHandle(), &libraryToken);
  EXPECT_EQ(binding.KeptVersion, 160);

  // A missing entry point is never called.
  EXPECT_EQ(component.UnzipEnginePrivVersion(), 0);
  binding.Handle = nullptr;  // not a real library: nothing to free
}

}  // namespace
}  // namespace zipbuilder
