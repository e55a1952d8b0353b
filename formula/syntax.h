// TSyntax: checks a formula and converts it to a postfix token program by the
// shunting-yard method.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/translatable.h"
#include "formula/parse.h"
#include "formula/token_list.h"

namespace vortexa {

// Raised while converting; its text is one of the messages below.
class ESyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace syntax_message {
inline constexpr const char* kMissingOperator =
    VORTEXA_TRANSLATABLE("Messages", "演算子が抜けています");
inline constexpr const char* kNumberOverflow =
    VORTEXA_TRANSLATABLE("Messages", "数値が大きすぎてオーバーフローしました");
inline constexpr const char* kBadNumber =
    VORTEXA_TRANSLATABLE("Messages", "数値を表す文字列が不正です");
inline constexpr const char* kCloseAfterOperator =
    VORTEXA_TRANSLATABLE("Messages", "演算子の直後に閉じ括弧があります");
inline constexpr const char* kEmptyBrackets = VORTEXA_TRANSLATABLE("Messages", "括弧内が空です");
inline constexpr const char* kTooManyClose = VORTEXA_TRANSLATABLE("Messages", "\")\" が多すぎます");
inline constexpr const char* kMisplacedOperator =
    VORTEXA_TRANSLATABLE("Messages", "演算子の位置が不正です");
inline constexpr const char* kRepeatedOperator =
    VORTEXA_TRANSLATABLE("Messages", "演算子が連続しています");
inline constexpr const char* kMissingFunctionBracket =
    VORTEXA_TRANSLATABLE("Messages", "関数名の後に括弧が抜けています");
inline constexpr const char* kUnusableChar =
    VORTEXA_TRANSLATABLE("Messages", "利用できない文字です");
inline constexpr const char* kUnknownName = VORTEXA_TRANSLATABLE(
    "Messages", "演算子が抜けているか、定数/変数/関数として利用できない名前です");
inline constexpr const char* kUnfinished =
    VORTEXA_TRANSLATABLE("Messages", "式が途中で切れています");
inline constexpr const char* kTooFewClose = VORTEXA_TRANSLATABLE("Messages", "\")\" が足りません");
// Every message above, for the translations that must name each one.
inline constexpr const char* kAll[] = {
    kMissingOperator,    kNumberOverflow,   kBadNumber,
    kCloseAfterOperator, kEmptyBrackets,    kTooManyClose,
    kMisplacedOperator,  kRepeatedOperator, kMissingFunctionBracket,
    kUnusableChar,       kUnknownName,      kUnfinished,
    kTooFewClose};
}  // namespace syntax_message

class TSyntax {
 public:
  // Converts text into program. On failure ErrorMessage and ErrorPos tell
  // why and where; program then holds a fragment that must not be evaluated.
  bool Check(TTokenList& program, std::string_view text);
  const std::string& ErrorMessage() const { return FErrorMessage; }
  int ErrorPos() const { return FParse.TokenPos(); }

 private:
  void Convert(TTokenList& program, std::string_view text);
  bool OperandExpected() const;
  [[noreturn]] void Fail(const char* message) const;
  void HandleOperand(TTokenList& program);
  void HandleOpenBracket();
  void HandleCloseBracket(TTokenList& program);
  void HandleOperator(TTokenList& program);
  void HandleFunction();
  void Finish(TTokenList& program);
  std::unique_ptr<TToken> NewToken() const;

  TTokenList FStack;
  TParse FParse;
  std::string FErrorMessage;
};

}  // namespace vortexa
