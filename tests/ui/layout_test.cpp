#include "ui/layout.h"

#include <gtest/gtest.h>

namespace tvac::ui {
namespace {

TEST(LayoutTest, MainSpotsIncludeLeftAndTopEdgesOnly) {
  struct Case {
    int x, y;
    MainSpot spot;
  } const cases[] = {
      {501, 13, MainSpot::kHide},      {508, 20, MainSpot::kHide},
      {509, 13, MainSpot::kElsewhere}, {501, 21, MainSpot::kElsewhere},
      {500, 13, MainSpot::kElsewhere}, {540, 13, MainSpot::kHide},
      {547, 20, MainSpot::kHide},      {548, 20, MainSpot::kElsewhere},
      {520, 13, MainSpot::kMinimise},  {528, 20, MainSpot::kMinimise},
      {529, 20, MainSpot::kElsewhere}, {280, 220, MainSpot::kElsewhere},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTestMain(c.x, c.y), c.spot) << c.x << "," << c.y;
  }
}

TEST(LayoutTest, PopupsCloseOnlyFromTheirTwoAreas) {
  EXPECT_TRUE(ClosesPopup(kMessageLayout, 378, 14));
  EXPECT_FALSE(ClosesPopup(kMessageLayout, 386, 14));
  EXPECT_TRUE(ClosesPopup(kMessageLayout, 237, 192));
  EXPECT_FALSE(ClosesPopup(kMessageLayout, 238, 192));
  EXPECT_TRUE(ClosesPopup(kDetailLayout, 163, 243));
  EXPECT_FALSE(ClosesPopup(kDetailLayout, 163, 167));  // the message window's button row
  EXPECT_FALSE(ClosesPopup(kDetailLayout, 200, 100));
}

TEST(LayoutTest, ProgressFillIsTruncated) {
  struct Case {
    int width, percent, fill;
  } const cases[] = {{302, 0, 0}, {302, 50, 151}, {302, 100, 302}, {302, 33, 99}, {445, 1, 4}};
  for (const Case& c : cases) EXPECT_EQ(FillWidth(c.width, c.percent), c.fill) << c.percent;
}

TEST(LayoutTest, RowsAlternateWhiteAndLightGrey) {
  for (int row = 0; row < 5; ++row) {
    const Rgb back = RowBackground(row);
    EXPECT_EQ(back.r, row % 2 ? 247 : 255) << row;
    EXPECT_EQ(back.g, back.r);
    EXPECT_EQ(back.b, back.r);
  }
}

}  // namespace
}  // namespace tvac::ui
