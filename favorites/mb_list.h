// TMBList: an owning list of stored views with a current position, serving
// as the history (back and forward) and as the store of all favourites.
#pragma once

#include <memory>
#include <vector>

#include "mb_item.h"

namespace vortexa {

class TMBList {
 public:
  TMBList() = default;
  TMBList(const TMBList&) = delete;
  TMBList& operator=(const TMBList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  int Index() const { return FIndex; }  // -1 while there is no current item

  // None outside 0..Count-1. Items keep their address while they are listed.
  TMBItem* GetItem(int index) const;

  // Appends a blank item without moving the current position.
  int AddNew();

  // Makes a new view current, dropping the entries ahead of the current one;
  // none when the current view has exactly this centre and range.
  TMBItem* AddView(const TDeepReal& x, const TDeepReal& y, const TFloatExp& range);

  bool CanBack() const { return FIndex > 0; }
  bool CanForward() const { return FIndex < Count() - 1; }
  TMBItem* Back();
  TMBItem* Forward();
  TMBItem* GoTo(int index);  // none, and no move, outside the list

  // Frees an item; the current position stays on the same item, or moves to
  // the one before (none when it was the first) when the current item goes.
  void Delete(int index);
  void Clear();

 private:
  bool Contains(int index) const { return index >= 0 && index < Count(); }

  std::vector<std::unique_ptr<TMBItem>> FItems;
  int FIndex = -1;
};

}  // namespace vortexa
