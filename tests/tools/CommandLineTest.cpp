#include "tools/resonix/CommandLine.h"

#include <gtest/gtest.h>

namespace {
CommandLine tool_line() {
  return CommandLine({{"output", 'o', true}, {"rate", 0, true}, {"json", 0, false}});
}
}  // namespace

TEST(CommandLine, TakesValuesInEverySpellingAndKeepsWordsInOrder) {
  CommandLine line = tool_line();
  std::string error;
  ASSERT_TRUE(line.parse({"a.wav", "-o", "x.rzn", "--rate=48000", "b.wav", "--json"}, &error)) << error;
  EXPECT_EQ(line.value("output"), "x.rzn");
  EXPECT_EQ(line.value("rate"), "48000");
  EXPECT_TRUE(line.has("json"));
  ASSERT_EQ(line.positional().size(), 2u);
  EXPECT_EQ(line.positional()[0], "a.wav");
  EXPECT_EQ(line.positional()[1], "b.wav");
  EXPECT_FALSE(line.help());
}

TEST(CommandLine, DashDashEndsOptionsAndNegativeNumbersAreWords) {
  CommandLine line = tool_line();
  std::string error;
  ASSERT_TRUE(line.parse({"--", "--json", "-3", "-"}, &error)) << error;
  EXPECT_FALSE(line.has("json"));
  EXPECT_EQ(line.positional(), (std::vector<std::string>{"--json", "-3", "-"}));
  CommandLine neg = tool_line();
  ASSERT_TRUE(neg.parse({"-6.5"}, &error));
  EXPECT_EQ(neg.positional().front(), "-6.5");
}

TEST(CommandLine, RefusesWhatItCannotMeanClearly) {
  std::string error;
  EXPECT_FALSE(tool_line().parse({"--colour"}, &error));
  EXPECT_NE(error.find("--colour"), std::string::npos);
  EXPECT_FALSE(tool_line().parse({"-o"}, &error));
  EXPECT_NE(error.find("needs a value"), std::string::npos);
  EXPECT_FALSE(tool_line().parse({"--json=1"}, &error));
  EXPECT_FALSE(tool_line().parse({"--rate", "1", "--rate", "2"}, &error));
  EXPECT_NE(error.find("twice"), std::string::npos);
}

TEST(CommandLine, NumbersMustBeWholeAndFinite) {
  for (const char* bad : {"", "48k", "nan", "inf", "1e999", "12 "}) {
    CommandLine line = tool_line();
    std::string error;
    ASSERT_TRUE(line.parse({"--rate", bad}, &error));
    double v = 0;
    EXPECT_FALSE(line.number("rate", &v, &error)) << bad;
  }
  CommandLine line = tool_line();
  std::string error;
  ASSERT_TRUE(line.parse({"--rate", "-1.5e3"}, &error));
  double v = 0;
  ASSERT_TRUE(line.number("rate", &v, &error));
  EXPECT_EQ(v, -1500.0);
}

TEST(CommandLine, HelpAnywhere) {
  CommandLine line = tool_line();
  std::string error;
  ASSERT_TRUE(line.parse({"a.wav", "-h"}, &error));
  EXPECT_TRUE(line.help());
}
