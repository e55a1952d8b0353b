#include "mb_list.h"

#include <gtest/gtest.h>

namespace vortexa {
namespace {

// A history of views at ranges 1, 2, ..., n, the last one current.
void FillHistory(TMBList& list, int n) {
  for (int i = 1; i <= n; ++i)
    ASSERT_NE(list.AddView(0, 0, i), nullptr);
}

TEST(MBList, StartsEmpty) {
  TMBList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Index(), -1);
  EXPECT_FALSE(list.CanBack());
  EXPECT_FALSE(list.CanForward());
  EXPECT_EQ(list.Back(), nullptr);
  EXPECT_EQ(list.Forward(), nullptr);
  EXPECT_EQ(list.GetItem(0), nullptr);
}

TEST(MBList, AddNewAppendsABlankItemWithoutMoving) {
  TMBList list;
  FillHistory(list, 2);
  EXPECT_EQ(list.AddNew(), 2);
  EXPECT_EQ(list.Index(), 1);
  const TMBItem* item = list.GetItem(2);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Limit, 0);
  EXPECT_TRUE(item->Name.empty());
}

TEST(MBList, AddViewOfTheCurrentViewAddsNothing) {
  TMBList list;
  TMBItem* first = list.AddView(-0.5L, 0.25L, 2);
  ASSERT_NE(first, nullptr);
  first->Limit = 500;
  EXPECT_EQ(list.AddView(-0.5L, 0.25L, 2), nullptr);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetItem(0)->Limit, 500);
  EXPECT_NE(list.AddView(-0.5L, 0.25L, 1), nullptr);  // any of the three differing counts
}

TEST(MBList, AddViewAfterBackDropsTheForwardEntries) {
  TMBList list;
  FillHistory(list, 4);
  list.Back();
  list.Back();
  ASSERT_EQ(list.Index(), 1);
  const TMBItem* added = list.AddView(9, 9, 9);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Index(), 2);
  EXPECT_EQ(list.GetItem(2), added);
  EXPECT_FALSE(list.CanForward());
}

TEST(MBList, BackAndForwardWalkWithinTheList) {
  TMBList list;
  FillHistory(list, 3);
  EXPECT_EQ(list.Back()->Range, 2);
  EXPECT_EQ(list.Back()->Range, 1);
  EXPECT_FALSE(list.CanBack());
  EXPECT_EQ(list.Back(), nullptr);
  EXPECT_EQ(list.Index(), 0);
  EXPECT_EQ(list.Forward()->Range, 2);
  EXPECT_EQ(list.Forward()->Range, 3);
  EXPECT_EQ(list.Forward(), nullptr);
  EXPECT_EQ(list.Index(), 2);
}

TEST(MBList, GoToOutsideTheListKeepsThePosition) {
  TMBList list;
  FillHistory(list, 3);
  list.GoTo(1);
  for (int index : {-1, 3, 100}) {
    EXPECT_EQ(list.GoTo(index), nullptr) << index;
    EXPECT_EQ(list.Index(), 1);
  }
  EXPECT_EQ(list.GoTo(0)->Range, 1);
  EXPECT_EQ(list.Index(), 0);
}

struct TDeleteCase {
  int Current, Deleted, IndexAfter;
};

TEST(MBList, DeleteKeepsThePositionSound) {
  const TDeleteCase cases[] = {
      {2, 0, 1},   // before the current item: same item, one place earlier
      {1, 2, 1},   // after it: unchanged
      {1, 1, 0},   // the current item: the one before
      {0, 0, -1},  // the first and current item: none
      {1, 5, 1},   // outside the list: nothing happens
  };
  for (const auto& c : cases) {
    TMBList list;
    FillHistory(list, 3);
    list.GoTo(c.Current);
    list.Delete(c.Deleted);
    EXPECT_EQ(list.Count(), c.Deleted < 3 ? 2 : 3);
    EXPECT_EQ(list.Index(), c.IndexAfter) << c.Current << " " << c.Deleted;
  }
}

TEST(MBList, ClearEmptiesTheList) {
  TMBList list;
  FillHistory(list, 3);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Index(), -1);
  EXPECT_NE(list.AddView(0, 0, 1), nullptr);
}

}  // namespace
}  // namespace vortexa
