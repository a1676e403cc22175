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

TEST(LayoutTest, NotifierSitsInTheWorkAreasBottomRightCorner) {
  const struct {
    Rect work_area;
    int x, y;
  } cases[] = {
      {{0, 0, 1024, 738}, 624, 438},
      {{0, 30, 1024, 768}, 624, 468},   // the taskbar on top
      {{100, 0, 1124, 738}, 724, 438},  // on the left, or a second screen
  };
  for (const auto& c : cases) {
    const Point origin = NotifierOrigin(c.work_area);
    EXPECT_EQ(origin.x, c.x) << c.work_area.left << "," << c.work_area.top;
    EXPECT_EQ(origin.y, c.y) << c.work_area.left << "," << c.work_area.top;
  }
}

TEST(LayoutTest, DialogSpots) {
  EXPECT_EQ(HitTestDialog(kNotifierLayout, 380, 18), DialogSpot::kClose);
  EXPECT_EQ(HitTestDialog(kNotifierLayout, 100, 250), DialogSpot::kElsewhere);
  EXPECT_EQ(HitTestDialog(kNotifierLayout, 123, 243), DialogSpot::kAct);
  EXPECT_EQ(HitTestDialog(kNotifierLayout, 198, 250), DialogSpot::kElsewhere);
  EXPECT_EQ(HitTestDialog(kNotifierLayout, 277, 268), DialogSpot::kCancel);
  EXPECT_EQ(HitTestDialog(kUpdateLayout, 150, 180), DialogSpot::kAct);
  EXPECT_EQ(HitTestDialog(kUpdateLayout, 150, 250), DialogSpot::kElsewhere);
  EXPECT_EQ(HitTestDialog(kSettingsLayout, 210, 250), DialogSpot::kCancel);
}

}  // namespace
}  // namespace tvac::ui
