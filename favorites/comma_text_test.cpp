#include "comma_text.h"

#include <gtest/gtest.h>

namespace vortexa {
namespace {

using TFields = std::vector<std::string>;

struct TJoinCase {
  TFields Fields;
  std::string Line;
};

TEST(CommaText, JoinQuotesOnlyFieldsThatNeedIt) {
  const TJoinCase cases[] = {
      {{"a", "b", "c"}, "a,b,c"},
      {{"(0, 0)", "0"}, "\"(0, 0)\",0"},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"tab\there"}, "\"tab\there\""},
      {{"渦", "作者おすすめ"}, "渦,作者おすすめ"},
      {{"", "x", ""}, ",x,"},
      {{""}, "\"\""},
      {{}, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JoinCommaText(c.Fields), c.Line) << c.Line;
}

struct TSplitCase {
  std::string Line;
  TFields Fields;
};

TEST(CommaText, SplitFollowsTheReadingRules) {
  const TSplitCase cases[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"  a ,\tb  ", {"a", "b"}},
      {"a b,c", {"a", "b", "c"}},  // an unquoted field ends at its first blank
      {"\"a b\",c", {"a b", "c"}},
      {"\"x\"\"y\",z", {"x\"y", "z"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {",", {"", ""}},
      {"a,  ", {"a"}},
      {"\"open to the end", {"open to the end"}},
      {"\"ab\"cd,e", {"ab", "cd", "e"}},
      {"", {}},
      {"   ", {}},
      {std::string("a\0,b", 4), {"a"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitCommaText(c.Line), c.Fields) << c.Line;
}

TEST(CommaText, AwkwardFieldsSurviveARoundTrip) {
  const TFields fields = {"(0, 0)", "\"quoted\"", "a,b", " lead", "trail ", "", "渦 巻", "x"};
  EXPECT_EQ(SplitCommaText(JoinCommaText(fields)), fields);
  for (const TFields& few : {TFields{}, TFields{""}, TFields{"", ""}, TFields{"\""}})
    EXPECT_EQ(SplitCommaText(JoinCommaText(few)), few) << JoinCommaText(few);
}

}  // namespace
}  // namespace vortexa
