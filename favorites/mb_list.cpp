#include "mb_list.h"

namespace vortexa {

TMBItem* TMBList::GetItem(int index) const {
  return Contains(index) ? FItems[index].get() : nullptr;
}

int TMBList::AddNew() {
  FItems.push_back(std::make_unique<TMBItem>());
  return Count() - 1;
}

TMBItem* TMBList::AddView(const TDeepReal& x, const TDeepReal& y, const TFloatExp& range) {
  if (const TMBItem* current = GetItem(FIndex);
      current && current->X == x && current->Y == y && current->Range == range) {
    return nullptr;
  }
  FItems.resize(FIndex + 1);
  FIndex = AddNew();
  TMBItem& item = *FItems[FIndex];
  item.X = x;
  item.Y = y;
  item.Range = range;
  return &item;
}

TMBItem* TMBList::Back() {
  return CanBack() ? GoTo(FIndex - 1) : nullptr;
}

TMBItem* TMBList::Forward() {
  return CanForward() ? GoTo(FIndex + 1) : nullptr;
}

TMBItem* TMBList::GoTo(int index) {
  if (!Contains(index)) return nullptr;
  FIndex = index;
  return FItems[index].get();
}

void TMBList::Delete(int index) {
  if (!Contains(index)) return;
  FItems.erase(FItems.begin() + index);
  if (index <= FIndex) --FIndex;
}

void TMBList::Clear() {
  FItems.clear();
  FIndex = -1;
}

}  // namespace vortexa
