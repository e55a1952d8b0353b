#include "formula/parse.h"

#include <algorithm>
#include <array>

namespace vortexa {

namespace {

struct TKeyword {
  std::string_view Name;
  TTokenKind Kind;
  TTokenId Id;
};

constexpr char ToUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

constexpr bool LessNoCase(std::string_view left, std::string_view right) {
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                      [](char l, char r) { return ToUpper(l) < ToUpper(r); });
}

// Sorted without regard to case, so a binary search finds any spelling.
constexpr auto MakeKeywords() {
  using enum TTokenKind;
  using enum TTokenId;
  return std::array<TKeyword, 17>{{
      {"(", Deli, OBr},
      {")", Deli, CBr},
      {"*", Op, Mul},
      {"+", Op, Add},
      {"-", Op, Sub},
      {"/", Op, Div},
      {"A", VConst, A},
      {"Abs", Func, Abs},
      {"B", VConst, B},
      {"C", Var, C},
      {"E", Const, E},
      {"Exp", Func, Exp},
      {"I", Const, I},
      {"Ln", Func, Ln},
      {"Pi", Const, Pi},
      {"Z", Var, Z},
      {"^", Op, Pow},
  }};
}

constexpr auto kKeywords = MakeKeywords();

static_assert(std::is_sorted(kKeywords.begin(), kKeywords.end(),
                             [](const TKeyword& l, const TKeyword& r) {
                               return LessNoCase(l.Name, r.Name);
                             }));

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsOperatorChar(unsigned char c) {
  return c == '(' || c == ')' || c == '*' || c == '+' || c == '-' || c == '/' || c == '^';
}
// Characters that end a run of unusable ones.
bool EndsUnusableRun(unsigned char c) {
  return c == ' ' || c == '.' || IsOperatorChar(c) || IsDigit(c) || IsLetter(c);
}
bool IsBlank(unsigned char c) {
  return c >= 1 && c <= 32;
}

}  // namespace

void TParse::SetText(std::string_view text) {
  FText = text;
  FCursor = 0;
  FTokenStart = 0;
  FToken.clear();
  FKind = FPrevKind = TTokenKind::Start;
  FId = FPrevId = TTokenId::None;
}

bool TParse::Lookup(std::string_view name, TTokenKind& kind, TTokenId& id) {
  const auto found = std::lower_bound(
      kKeywords.begin(), kKeywords.end(), name,
      [](const TKeyword& keyword, std::string_view key) { return LessNoCase(keyword.Name, key); });
  if (found == kKeywords.end() || LessNoCase(name, found->Name)) return false;
  kind = found->Kind;
  id = found->Id;
  return true;
}

void TParse::NextToken() {
  FPrevKind = FKind;
  FPrevId = FId;
  FToken.clear();
  while (FCursor < FText.size() && IsBlank(FText[FCursor]))
    ++FCursor;
  if (FCursor >= FText.size()) return;

  const std::size_t start = FCursor;
  const unsigned char first = FText[start];
  std::size_t end = start + 1;
  if (IsOperatorChar(first)) {
    Lookup(std::string_view(FText).substr(start, 1), FKind, FId);
  } else if (IsDigit(first) || first == '.') {
    end = ScanNumber(start);
    FKind = TTokenKind::Const;
    FId = TTokenId::Num;
  } else if (IsLetter(first)) {
    end = ScanLetters(start);
    if (!Lookup(std::string_view(FText).substr(start, end - start), FKind, FId)) {
      FKind = TTokenKind::ErrorIdent;
      FId = TTokenId::None;
    }
  } else {
    end = ScanUnusable(start);
    FKind = TTokenKind::ErrorChar;
    FId = TTokenId::None;
  }
  FToken = FText.substr(start, end - start);
  FTokenStart = static_cast<int>(start);
  FCursor = end;
}

// digits [. digits] [E|e [+|-] digits], every digit run possibly empty.
std::size_t TParse::ScanNumber(std::size_t from) const {
  auto digits = [this](std::size_t at) {
    while (at < FText.size() && IsDigit(FText[at]))
      ++at;
    return at;
  };
  std::size_t at = digits(from);
  if (at < FText.size() && FText[at] == '.') at = digits(at + 1);
  if (at < FText.size() && (FText[at] == 'E' || FText[at] == 'e')) {
    ++at;
    if (at < FText.size() && (FText[at] == '+' || FText[at] == '-')) ++at;
    at = digits(at);
  }
  return at;
}

std::size_t TParse::ScanLetters(std::size_t from) const {
  while (from < FText.size() && IsLetter(FText[from]))
    ++from;
  return from;
}

std::size_t TParse::ScanUnusable(std::size_t from) const {
  ++from;
  while (from < FText.size() && !EndsUnusableRun(FText[from]))
    ++from;
  return from;
}

}  // namespace vortexa
