// TParse: the byte-wise tokenizer of the formula language.
#pragma once

#include <string>
#include <string_view>

#include "formula/token_list.h"

namespace vortexa {

class TParse {
 public:
  // Stores the formula and rewinds to the Start state.
  void SetText(std::string_view text);
  // Reads the next token; at the end of the text Token() becomes empty while
  // kind, id and position stay those of the last token.
  void NextToken();
  // 0-based offset of the current token's start. Every character before a
  // token the checker can stop at is ASCII, so bytes and characters agree.
  int TokenPos() const { return FTokenStart; }
  // Keyword lookup without regard to letter case; outputs untouched on a miss.
  static bool Lookup(std::string_view name, TTokenKind& kind, TTokenId& id);

  const std::string& Token() const { return FToken; }
  TTokenKind Kind() const { return FKind; }
  TTokenId Id() const { return FId; }
  TTokenKind PrevKind() const { return FPrevKind; }
  TTokenId PrevId() const { return FPrevId; }

 private:
  std::size_t ScanNumber(std::size_t from) const;
  std::size_t ScanLetters(std::size_t from) const;
  std::size_t ScanUnusable(std::size_t from) const;

  std::string FText;
  std::size_t FCursor = 0;
  int FTokenStart = 0;
  std::string FToken;
  TTokenKind FKind = TTokenKind::Start;
  TTokenId FId = TTokenId::None;
  TTokenKind FPrevKind = TTokenKind::Start;
  TTokenId FPrevId = TTokenId::None;
};

}  // namespace vortexa
