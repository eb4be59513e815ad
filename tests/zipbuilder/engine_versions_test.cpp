// The version getters' loading policy. Loading itself is the engine loader's;
// these tests set up the binding a load would leave. Getters that load a real
// library, or fail to, are tested with the loader (engine_loader_test.cpp).
#include <gtest/gtest.h>

#include "tests/zipbuilder/test_access.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

std::int32_t ENGINE_CALL Version160() { return 160; }

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
