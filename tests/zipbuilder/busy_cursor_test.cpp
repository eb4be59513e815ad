#include <gtest/gtest.h>

#include <vector>

#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

constexpr auto Crosshair = static_cast<CursorShape>(-3);

class BusyCursorTest : public testing::Test {
 protected:
  BusyCursorTest() { toolkit.SetScreenCursor(Crosshair); }
  HeadlessToolkit toolkit;
  TZipBuilder component{toolkit};
};

TEST_F(BusyCursorTest, NestedPairsRestoreOnlyAtTheOutermostStop) {
  component.PushBusyCursor();
  component.PushBusyCursor();
  component.PopBusyCursor();
  EXPECT_EQ(toolkit.ScreenCursor(), CursorShape::Hourglass);

  component.PopBusyCursor();
  EXPECT_EQ(toolkit.ScreenCursor(), Crosshair);
  EXPECT_EQ(toolkit.CursorChanges(), (std::vector{Crosshair, CursorShape::Hourglass, Crosshair}));
}

TEST_F(BusyCursorTest, UnmatchedStopChangesNothingAndIsCountedAgainstTheNextStart) {
  component.PopBusyCursor();
  EXPECT_EQ(toolkit.ScreenCursor(), Crosshair);

  component.PushBusyCursor();  // brings the count back to zero: no hourglass
  EXPECT_EQ(toolkit.ScreenCursor(), Crosshair);

  component.PushBusyCursor();
  EXPECT_EQ(toolkit.ScreenCursor(), CursorShape::Hourglass);
  component.PopBusyCursor();
  EXPECT_EQ(toolkit.ScreenCursor(), Crosshair);
  EXPECT_EQ(toolkit.CursorChanges().size(), 3u);
}

TEST_F(BusyCursorTest, SecondRoundSavesTheCursorShownThen) {
  component.PushBusyCursor();
  component.PopBusyCursor();
  toolkit.SetScreenCursor(CursorShape::Arrow);

  component.PushBusyCursor();
  component.PopBusyCursor();
  EXPECT_EQ(toolkit.ScreenCursor(), CursorShape::Arrow);
}

}  // namespace
}  // namespace zipbuilder
