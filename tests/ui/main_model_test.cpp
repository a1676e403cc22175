#include "ui/main_model.h"

#include <gtest/gtest.h>

#include "app/texts.h"
#include "ui/layout.h"

namespace tvac::ui {
namespace {

std::string Ticks(MainModel& model, int count) {
  for (int i = 0; i < count; ++i) model.OnElapsedTick();
  return model.ElapsedText();
}

TEST(MainModelTest, ElapsedTicksCountFromOneSecond) {
  MainModel model;
  model.scanning = true;
  model.StartElapsed();
  EXPECT_EQ(Ticks(model, 1), "00:00:01");
  EXPECT_EQ(Ticks(model, 58), "00:00:59");
  EXPECT_EQ(Ticks(model, 1), "00:01:00");
  model.StartElapsed();
  EXPECT_EQ(Ticks(model, 3725), "01:02:05");
}

TEST(MainModelTest, TickWithoutScanAsksToStopAndChangesNothing) {
  MainModel model;
  model.scanning = true;
  model.StartElapsed();
  Ticks(model, 5);
  model.scanning = false;
  EXPECT_FALSE(model.OnElapsedTick());
  EXPECT_EQ(model.ElapsedText(), "00:00:05");
  model.ClearElapsedText();
  EXPECT_EQ(model.ElapsedText(), "00:00:00");
}

TEST(MainModelTest, LinesComposeLabelsAndValues) {
  MainModel model;
  EXPECT_EQ(model.LastScanLine(), std::string(texts::kLastScanLabel) + "0000.00.00");
  EXPECT_EQ(model.StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                    std::string(texts::kStatusClose) +
                                    std::string(texts::kStatusInitial));
  EXPECT_EQ(model.PercentLine(), "0%");
  EXPECT_EQ(model.DbLine(), texts::kDbLineLabel);

  model.SetLastScan("2011.05.05");
  model.SetStatus("C:\\x.exe");
  model.SetPercent(42);
  model.SetDbInfo("2011.05.04");
  EXPECT_EQ(model.LastScanLine(), std::string(texts::kLastScanLabel) + "2011.05.05");
  EXPECT_EQ(model.StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                    std::string(texts::kStatusClose) + "C:\\x.exe");
  EXPECT_EQ(model.PercentLine(), "42%");
  EXPECT_EQ(model.DbLine(), std::string(texts::kDbLineLabel) + "2011.05.04");
}

TEST(MainModelTest, RowTextsAreCutToTheirBuffer) {
  EXPECT_EQ(CutToFieldBuffer(std::string(259, 'a')), std::string(259, 'a'));
  EXPECT_EQ(CutToFieldBuffer(std::string(400, 'b')), std::string(259, 'b'));
  EXPECT_EQ(CutToFieldBuffer(""), "");
}

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
