#include "agent/main_model.h"

#include <gtest/gtest.h>

#include "base/texts.h"

namespace tvac::agent {
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

}  // namespace
}  // namespace tvac::agent
