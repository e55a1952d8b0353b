#include "mb_item.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vortexa {
namespace {

TMBItem MakeItem(std::string name, long double x, long double y, long double range, int limit) {
  TMBItem item;
  item.Name = std::move(name);
  item.X = x;
  item.Y = y;
  item.Range = range;
  item.Limit = limit;
  return item;
}

TEST(ReproductionText, WritesTwelveFields) {
  TMBItem home = MakeItem("", 0, 0, 2, 1000);
  home.Tour = 1;
  EXPECT_EQ(ItemToText(home), "120,0,0,0,2,1000,0,0,0,0,0,1");

  TMBItem swirl = MakeItem("渦", -0.75L, 0.1L, 0.01L, 2000);
  swirl.ColorIndex = 1;
  swirl.Hue = 32;
  swirl.Period = 4;
  swirl.Tour = 1;
  EXPECT_EQ(ItemToText(swirl), "渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1");

  TMBItem deep = MakeItem("(0, 0)", -1.25066L, 0.02012L, 1.23456e-13L, 65000);
  deep.Hue = -1;
  deep.Tour = 255;
  EXPECT_EQ(ItemToText(deep), "\"(0, 0)\",0,-1.25066,0.02012,1.2346E-13,65000,0,-1,0,0,0,255");
}

TEST(ReproductionText, NamesComeBackWhateverTheyHold) {
  for (const char* name : {"(0, 0)", "say \"hi\"", "a,b", "渦 巻き", " lead", "x"}) {
    TMBItem item;
    ASSERT_TRUE(TextToItem(item, ItemToText(MakeItem(name, 1, 2, 3, 4)), 0)) << name;
    EXPECT_EQ(item.Name, name);
  }
}

TEST(ReproductionText, EmptyNameComesBackAsTheFormatNumber) {
  TMBItem item;
  ASSERT_TRUE(TextToItem(item, ItemToText(MakeItem("", 1, 2, 3, 4)), 0));
  EXPECT_EQ(item.Name, "120");
}

// Texts read and written again come back byte for byte, limits up to 65000
// as ever and larger ones up to 100,000,000 alike.
TEST(ReproductionText, LimitsComeBackByteForByte) {
  const struct {
    const char* Text;
    int Limit;
  } cases[] = {
      {"120,0,0,0,2,1,0,0,0,0,0,1", 1},
      {"渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1", 2000},
      {"\"(0, 0)\",0,-1.25066,0.02012,1.2346E-13,65000,0,-1,0,0,0,255", 65000},
      {"a,0,-0.75,0.1,0.01,65001,1,32,0,0,4,1", 65001},
      {"b,0,-0.75,0.1,1E-30,1000000,0,0,0,0,12,1", 1000000},
      {"c,0,-0.75,0.1,0.01,100000000,0,0,0,0,4,0", 100000000},
  };
  for (const auto& c : cases) {
    TMBItem item;
    ASSERT_TRUE(TextToItem(item, c.Text, 0)) << c.Text;
    EXPECT_EQ(item.Limit, c.Limit) << c.Text;
    EXPECT_EQ(ItemToText(item), c.Text);
  }
}

TEST(ReproductionText, ValuesSurviveARoundTrip) {
  TMBItem original = MakeItem("v", -0.743643887037158704752191506114774L,
                              0.131825904205311970493132056385139L, 2.5e-13L, 4321);
  original.ColorIndex = 2;
  original.Hue = 63;
  original.Saturation = 4;
  original.Highlight = 6;
  original.Period = 12;
  original.Tour = 1;
  TMBItem back;
  ASSERT_TRUE(TextToItem(back, ItemToText(original), 0));
  EXPECT_NEAR(static_cast<double>(back.X - original.X), 0, 1e-18);
  EXPECT_NEAR(static_cast<double>(back.Y - original.Y), 0, 1e-18);
  EXPECT_EQ(back.Range, 2.5e-13L);
  EXPECT_EQ(ItemToText(back), ItemToText(original));
}

// A deep view's text gets the digits its range needs, and reads back to the
// same text; a shallow view's text keeps 18 digits whatever its centre holds.
TEST(ReproductionText, DeepCentresGetTheDigitsTheirRangeNeeds) {
  const std::string deep =
      "120,0,-1.768778833000000000000000000000000000001,"
      "0.0017389960732074668349210023456789012345,1E-36,5000,0,0,0,0,4,1";
  TMBItem item;
  ASSERT_TRUE(TextToItem(item, deep, 0));
  EXPECT_EQ(ItemToText(item), deep);

  // The same centre in a shallow view: 18 digits, rounded.
  item.Range = 0.01L;
  EXPECT_EQ(ItemToText(item), "120,0,-1.768778833,0.00173899607320746683,0.01,5000,0,0,0,0,4,1");
}

// Below long double's reach the range keeps its exponent, and the centre its
// five thousand digits.
TEST(ReproductionText, ViewsBeyondLongDoubleComeBackWhole) {
  const std::string deep =
      "120,0,-0." + std::string(5004, '7') + ",1E-5000,1E-5000,9000,0,0,0,0,4,1";
  TMBItem item;
  ASSERT_TRUE(TextToItem(item, deep, 0));
  EXPECT_EQ(item.Range.Exponent(), -16609);
  EXPECT_EQ(ItemToText(item), deep);
  EXPECT_TRUE(ParseView(deep));
}

struct TVersionCase {
  const char* Name;
  std::string Text;
  int Version;
  bool Read;
  int Limit, Hue, Period;
  std::string ItemName;
};

TEST(ReproductionText, VersionRules) {
  const TVersionCase cases[] = {
      {"current format", "v,0,1,2,3,100,0,12,0,0,2,1", 0, true, 100, 12, 2, "v"},
      {"explicit 120 keeps colours", "v,0,1,2,3,100,0,12,0,0,2,1", 120, true, 100, 12, 2, "v"},
      {"115 rescales hue, shifts period", "v,0,1,2,3,100,0,12,0,0,2,1", 115, true, 100, 32, 6, "v"},
      {"name 115 is taken for the version", "115,0,1,2,3,100,0,12,0,0,2,1", 0, true, 100, 32, 6,
       "115"},
      {"110 rounds to the nearest hue", "v,0,1,2,3,100,0,23,0,0,0,0", 110, true, 100, 61, 4, "v"},
      {"eleven fields, not an integer first", "a,1,2,3,100,0,0,0,0,0,1", 0, false, 0, 0, 0, ""},
      {"name 50 wants the oldest layout", "50,0,1,2,3,100,0,12,0,0,2,1", 0, false, 0, 0, 0, ""},
      {"oldest layout", "1,2,3,100,old,0,12,0,0,2,1", 100, true, 100, 12, 2, "old"},
      {"oldest layout, twelve fields", "v,0,1,2,3,100,0,12,0,0,2,1", 100, false, 0, 0, 0, ""},
      {"thirteen fields", "v,0,1,2,3,100,0,12,0,0,2,1,9", 0, false, 0, 0, 0, ""},
      {"empty text", "", 0, false, 0, 0, 0, ""},
  };
  for (const auto& c : cases) {
    TMBItem item;
    EXPECT_EQ(TextToItem(item, c.Text, c.Version), c.Read) << c.Name;
    EXPECT_EQ(item.Limit, c.Limit) << c.Name;
    EXPECT_EQ(item.Hue, c.Hue) << c.Name;
    EXPECT_EQ(item.Period, c.Period) << c.Name;
    EXPECT_EQ(item.Name, c.ItemName) << c.Name;
  }
}

TEST(ReproductionText, RejectedTextLeavesTheItemAlone) {
  TMBItem item = MakeItem("kept", 1, 2, 3, 4);
  EXPECT_FALSE(TextToItem(item, "a,b,c", 0));
  EXPECT_EQ(ItemToText(item), ItemToText(MakeItem("kept", 1, 2, 3, 4)));
}

TEST(ReproductionText, UnreadableNumbersTakeDefaults) {
  TMBItem item;
  ASSERT_TRUE(TextToItem(item, "v,0,x,y,z,many,a,b,c,d,e,f", 0));
  EXPECT_EQ(item.X, 0);
  EXPECT_EQ(item.Y, 0);
  EXPECT_EQ(item.Range, 2);
  EXPECT_EQ(item.Limit, 4000);
  EXPECT_EQ(ItemToText(item), "v,0,0,0,2,4000,0,0,0,0,0,0");
}

TEST(ReproductionText, BytesKeepTheirLowEightBits) {
  TMBItem item;
  ASSERT_TRUE(TextToItem(item, "v,0,0,0,1,10,300,-1,257,0,128,511", 0));
  EXPECT_EQ(item.ColorIndex, 44);
  EXPECT_EQ(item.Hue, -1);
  EXPECT_EQ(item.Saturation, 1);
  EXPECT_EQ(item.Period, -128);
  EXPECT_EQ(item.Tour, 255);
}

// A pasted or stored view reads its centre with the bits of its own range:
// "-0.1" at 128 bits would lie 7e-41 away, outside a view of range 1e-300.
TEST(ReproductionText, ShortCentresAreReadAtTheBitsOfTheRange) {
  const std::optional<TMBItem> item = ParseView("120,0,-0.1,0.1,1E-300,1000,0,0,0,0,0,1");
  ASSERT_TRUE(item);
  const TDeepReal tenth = *TDeepReal::FromDecimal("0.1", 4096);
  EXPECT_LT(std::fabs(item->X - -tenth), 1e-306L);
  EXPECT_LT(std::fabs(item->Y - tenth), 1e-306L);
}

TEST(ReproductionText, ParseViewAcceptsViewsOnly) {
  EXPECT_TRUE(ParseView("120,0,0,0,2,1000,0,0,0,0,0,1"));
  EXPECT_FALSE(ParseView("120,0,0,0,2,0,0,0,0,0,0,1"));  // limit 0
  EXPECT_FALSE(ParseView("hello world"));
  EXPECT_FALSE(ParseView(""));
  // A text is drawn as it says or not at all: no range of 0 or below, and no
  // number that would fall back to a default.
  for (const char* text : {"120,0,0,0,0,1000,0,0,0,0,0,1", "120,0,0,0,-0,1000,0,0,0,0,0,1",
                           "120,0,0,0,0e5,1000,0,0,0,0,0,1", "120,0,0,0,-1,1000,0,0,0,0,0,1",
                           "120,0,0,0,inf,1000,0,0,0,0,0,1", "120,0,0,0,wide,1000,0,0,0,0,0,1",
                           "120,0,0,0,,1000,0,0,0,0,0,1", "120,0,x,0,2,1000,0,0,0,0,0,1",
                           "120,0,0,0,2,many,0,0,0,0,0,1"})
    EXPECT_FALSE(ParseView(text)) << text;
}

}  // namespace
}  // namespace vortexa
