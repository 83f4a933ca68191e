#include "recognition/layout_plan.h"

#include <gtest/gtest.h>

namespace pagereader {
namespace {

// A line of the given height in a row of its own, well apart from the others.
LineBox line(int height, int row) { return LineBox{0, 100 * row, 50, 100 * row + height}; }

TEST(PlanFromLayoutTest, SetsAsideLinesTooLowToKeepAndMeasuresTheRest) {
  // In a picture 2000 pixels high the minimum is 20; lines below 16 are set aside.
  const LayoutPlan plan =
      planFromLayout({line(12, 1), line(15, 2), line(16, 3), line(30, 4), line(40, 5)}, 2000);
  ASSERT_EQ(plan.tooLow.size(), 2u);
  EXPECT_EQ(plan.tooLow[0].bottom, 112);
  EXPECT_EQ(plan.tooLow[1].bottom, 215);
  EXPECT_EQ(plan.medianHeight, 30);
}

TEST(PlanFromLayoutTest, NothingLeftWhenEveryLineIsTooLow) {
  const LayoutPlan plan = planFromLayout({line(10, 1), line(12, 2)}, 4000);
  EXPECT_EQ(plan.tooLow.size(), 2u);
  EXPECT_EQ(plan.medianHeight, 0);
  EXPECT_EQ(planFromLayout({}, 4000).medianHeight, 0);
}

TEST(PlanFromLayoutTest, KeepsLowMarksThatBelongToAKeptLine) {
  const LineBox kept{100, 100, 400, 130};
  const LineBox dotAbove{150, 95, 154, 98};  // touches nothing, but within its height above
  const LineBox accentInside{200, 110, 206, 114};
  const LineBox farAbove{150, 50, 154, 53};
  const LineBox besideNotOver{500, 100, 520, 110};
  const LayoutPlan plan =
      planFromLayout({kept, dotAbove, accentInside, farAbove, besideNotOver}, 2000);
  ASSERT_EQ(plan.tooLow.size(), 2u);
  EXPECT_EQ(plan.tooLow[0].top, 50);
  EXPECT_EQ(plan.tooLow[1].left, 500);
  EXPECT_EQ(plan.medianHeight, 30);
}

TEST(PlanFromLayoutTest, SmallPicturesKeepEveryLine) {
  const LayoutPlan plan = planFromLayout({line(3, 1), line(9, 2), line(11, 3)}, 300);
  EXPECT_TRUE(plan.tooLow.empty());
  EXPECT_EQ(plan.medianHeight, 9);
}

}  // namespace
}  // namespace pagereader
