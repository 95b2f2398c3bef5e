#include "tests/tools/MiniJson.h"
#include "tools/resonix/JsonWriter.h"
#include "tools/resonix/ProgressBar.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <sstream>

TEST(JsonWriter, NumbersReadBackExactlyAndNonFiniteBecomesNull) {
  const double values[] = {0.1, 1.0 / 3.0, -2.5e-300, 19912.126958213175, 1e300};
  for (double v : values) EXPECT_EQ(std::strtod(JsonWriter::number(v).c_str(), nullptr), v);
  EXPECT_EQ(JsonWriter::number(std::numeric_limits<double>::quiet_NaN()), "null");
  EXPECT_EQ(JsonWriter::number(-HUGE_VAL), "null");
  EXPECT_EQ(JsonWriter::quoted("C#4 \"x\"\\\n"), "\"C#4 \\\"x\\\"\\\\\\u000a\"");
}

TEST(JsonWriter, NestedValuesFormOneDocument) {
  std::ostringstream out;
  JsonWriter j(out);
  j.begin_object().key("a").value(1).key("b").begin_array();
  j.begin_array().value(1.5).value(-HUGE_VAL).end_array().begin_array().end_array();
  j.end_array().key("c").value(std::string("x")).end_object();
  EXPECT_EQ(out.str(), "{\"a\":1,\"b\":[[1.5,null],[]],\"c\":\"x\"}");
  Json parsed;
  EXPECT_TRUE(Json::parse(out.str(), &parsed));
}

TEST(ProgressBar, DrawsInPlaceOnlyWhenAskedAndEndsItsLine) {
  std::ostringstream quiet;
  {
    ProgressBar bar(quiet, false, "apply", 100);
    bar.update(50);
    bar.finish();
  }
  EXPECT_EQ(quiet.str(), "");

  std::ostringstream shown;
  {
    ProgressBar bar(shown, true, "apply", 200);
    bar.update(100);
    bar.update(101);  // same percentage: not redrawn
    bar.finish();
  }
  const std::string s = shown.str();
  EXPECT_EQ(std::count(s.begin(), s.end(), '\r'), 2);
  EXPECT_NE(s.find("50%"), std::string::npos);
  EXPECT_EQ(s.substr(s.size() - 5), "100%\n");

  std::ostringstream broken;
  {
    ProgressBar bar(broken, true, "apply", 0);  // empty input
    bar.update(0);
  }
  EXPECT_EQ(broken.str().back(), '\n') << "an abandoned bar still ends its line";
}
