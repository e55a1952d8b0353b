#include "formula/token_list.h"

#include <utility>

namespace vortexa {

void TTokenList::Push(std::unique_ptr<TToken> token) {
  FRecords.push_back(std::move(token));
  FStackDepth = 0;
}

TToken* TTokenList::Top() const {
  return FRecords.empty() ? nullptr : FRecords.back().get();
}

std::unique_ptr<TToken> TTokenList::Pop() {
  if (FRecords.empty()) return nullptr;
  std::unique_ptr<TToken> token = std::move(FRecords.back());
  FRecords.pop_back();
  FStackDepth = 0;
  return token;
}

void TTokenList::Clear() {
  FRecords.clear();
  FStackDepth = 0;
}

}  // namespace vortexa
