#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/core/IParam.h"

TEST(Param, DoubleDisplayPrecisionFollowsTheStep) {
  IParam fine, whole, quarter, odd;
  fine.InitDouble("v", 0.5, 0.0, 1.0, 0.0001);
  whole.InitDouble("w", 0.0, 0.0, 1.0, 1.0);
  quarter.InitDouble("q", 0.0, 0.0, 1.0, 0.25);
  odd.InitDouble("o", 0.0, 0.0, 1.0, 1.0 / 3.0);
  EXPECT_EQ(fine.DisplayPrecision(), 4);
  EXPECT_EQ(fine.GetDisplayForHost(), "0.5000");
  EXPECT_EQ(whole.DisplayPrecision(), 0);
  EXPECT_EQ(whole.GetDisplayForHost(0.0, false), "0");
  EXPECT_EQ(whole.GetDisplayForHost(1.0, false), "1");
  EXPECT_EQ(quarter.DisplayPrecision(), 2);
  EXPECT_EQ(odd.DisplayPrecision(), 6);
  IParam milli;
  milli.InitDouble("m", 0.0, 0.0, 1.0, 0.001);
  EXPECT_EQ(milli.DisplayPrecision(), 3);
}

TEST(Param, InitialisationRaisesMaxAndKeepsTheFirstType) {
  IParam d;
  d.InitDouble("d", 0.0, 2.0, 1.0, 0.5);
  EXPECT_DOUBLE_EQ(d.Max(), 2.5);
  IParam i;
  i.InitInt("i", 3, 3, 3);
  EXPECT_DOUBLE_EQ(i.Max(), 4.0);
  IParam e;
  e.InitEnum("e", 0, 1);
  EXPECT_DOUBLE_EQ(e.Max(), 1.0);
  e.InitDouble("again", 0.0, 0.0, 10.0, 0.1);
  EXPECT_EQ(e.Type(), IParam::kTypeEnum);
  IParam shaped;
  shaped.InitDouble("s", 0.0, 0.0, 1.0, 0.1, "", "", 0.0);
  EXPECT_DOUBLE_EQ(shaped.Shape(), 1.0);
  shaped.SetShape(0.0);
  EXPECT_DOUBLE_EQ(shaped.Shape(), 1.0);
}

TEST(Param, NormalisedMappingRoundsOnlyNonDoubles) {
  IParam i;
  i.InitInt("i", 0, 0, 10);
  i.SetNormalized(1.0);
  EXPECT_EQ(i.Value(), 10.0);
  i.SetNormalized(0.46);
  EXPECT_EQ(i.Value(), 5.0);
  IParam d;
  d.InitDouble("d", 0.0, 0.0, 100.0, 1.0, "", "", 2.0);
  d.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(d.Value(), 25.0);
  EXPECT_DOUBLE_EQ(d.GetNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(d.GetNormalized(500.0), 1.0);  // clamped before mapping
  EXPECT_DOUBLE_EQ(d.GetNonNormalized(2.0), 400.0);  // no clamp here
  d.SetNormalized(0.46);
  EXPECT_NE(d.Value(), std::floor(d.Value()));  // doubles keep their fraction
}

TEST(Param, HostValuesOutsideTheRangeNeverEscapeIt) {
  IParam d;
  d.InitDouble("d", 0.3, 0.0, 1.0, 0.0001);
  d.SetNormalized(-0.2);
  EXPECT_EQ(d.Value(), 0.0);
  d.SetNormalized(7.0);
  EXPECT_EQ(d.Value(), 1.0);
  d.Set(0.25);
  d.SetNormalized(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(d.Value(), 0.25);
  d.Set(-5.0);
  EXPECT_EQ(d.Value(), 0.0);
  d.Set(std::numeric_limits<double>::infinity());
  EXPECT_EQ(d.Value(), 1.0);
}

TEST(Param, BoolTextsLabelsAndExactMatching) {
  IParam b;
  b.InitBool("b", true, "dB");
  EXPECT_EQ(b.GetDisplayForHost(), "on");
  EXPECT_EQ(b.GetDisplayForHost(0.0, false), "off");
  EXPECT_STREQ(b.GetLabelForHost(), "");
  int v = -1;
  EXPECT_FALSE(b.MapDisplayText("On", &v));
  EXPECT_TRUE(b.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
  EXPECT_EQ(b.GetDisplayForHost(1.0, false, false), "1");
  EXPECT_STREQ(b.GetDisplayTextAtIdx(5, &v), "");

  IParam g;
  g.InitDouble("g", 0.0, -10.0, 10.0, 0.5, "dB");
  g.SetDisplayText(0, "");
  EXPECT_STREQ(g.GetLabelForHost(), "dB");  // an empty text does not hide the label
  g.SetDisplayText(3, "three");
  EXPECT_EQ(g.GetDisplayForHost(3.7, false), "three");  // truncated toward zero
  EXPECT_EQ(g.GetDisplayForHost(-3.7, false), "-3.7");
  g.SetNegateDisplay(true);
  EXPECT_EQ(g.GetDisplayForHost(0.75, true), "-5.0");  // normalised 0.75 -> 5
}

TEST(Param, DisplayOfExtremeValuesIsDefined) {
  IParam w;
  w.InitInt("w", 0, 0, 10);
  EXPECT_EQ(w.GetDisplayForHost(1e300, false), "9000000000000000000");
  EXPECT_EQ(w.GetDisplayForHost(std::numeric_limits<double>::quiet_NaN(), false), "0");
  char tiny[3];
  w.GetDisplayForHost(12345.0, false, tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "12");
  IParam named;
  named.InitDouble("a name far longer than the thirty-one characters a host gets", 0, 0, 1, 1);
  EXPECT_EQ(std::string(named.GetNameForHost()).size(), 31u);
  EXPECT_NEAR(IParam().DBToAmp(), 1.0, 1e-15);
  IParam db;
  db.InitDouble("db", 20.0, -40.0, 40.0, 0.1);
  EXPECT_NEAR(db.DBToAmp(), 10.0, 1e-9);
}
