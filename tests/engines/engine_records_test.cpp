// The engine records are checked field by field at compile time on 32-bit
// builds (engines/engine_records.h); this test makes sure that header is
// compiled by every build and that the sizes of the interface hold where they
// are the interface.
#include <gtest/gtest.h>

#include <cstring>

#include "engines/engine_records.h"

namespace engines {
namespace {

TEST(EngineRecords, SizesOn32BitBuilds) {
  if (!layout::Is32Bit) {
    GTEST_SKIP() << "the byte layout is the interface on 32-bit builds only";
  }
  EXPECT_EQ(sizeof(UnzipCommandRecord), 148u);
  EXPECT_EQ(sizeof(UnzipCommandRecordBelow152), 16464u);
  EXPECT_EQ(sizeof(ZipCommandRecord), 216u);
  EXPECT_EQ(sizeof(ZipCommandRecordBelow151), 16520u);
  EXPECT_EQ(sizeof(UnzipSpecificationEntry), 72u);
  EXPECT_EQ(sizeof(ZipSpecificationEntry), 104u);
  EXPECT_EQ(offsetof(EngineCallbackRecord, Text), 0x1Cu);
}

TEST(EngineRecords, EndMarkersLieWhereTheEngineLooksOn32BitBuilds) {
  if (!layout::Is32Bit) {
    GTEST_SKIP() << "the byte layout is the interface on 32-bit builds only";
  }
  UnzipCommandRecord unzipRecord{};
  ZipCommandRecord zipRecord{};
  unzipRecord.EndMarker = CommandRecordEndMarker;
  zipRecord.EndMarker = CommandRecordEndMarker;
  std::uint32_t unzipMarker = 0;
  std::uint32_t zipMarker = 0;
  std::memcpy(&unzipMarker, reinterpret_cast<const unsigned char*>(&unzipRecord) + 0x90, sizeof(unzipMarker));
  std::memcpy(&zipMarker, reinterpret_cast<const unsigned char*>(&zipRecord) + 0xD4, sizeof(zipMarker));
  EXPECT_EQ(unzipMarker, 7u);
  EXPECT_EQ(zipMarker, 7u);
}

}  // namespace
}  // namespace engines
