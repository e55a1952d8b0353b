// Tokens of the formula language and the owning list that serves both as the
// checker's operator stack and as the postfix program.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace vortexa {

class TTokenList;
void BindParameters(TTokenList& program, long double a, long double b);

enum class TTokenKind : std::uint8_t {
  Var,         // Z or C
  VConst,      // the real parameters A and B
  Const,       // E, Pi, I or a number literal
  Deli,        // ( or )
  Op,          // + - * / ^ and the unary minus
  Func,        // Abs, Ln, Exp
  Start,       // before the first token of a formula
  ErrorChar,   // characters the language does not use
  ErrorIdent,  // a run of letters that is no known name
};

enum class TTokenId : std::uint8_t {
  Z,
  C,
  A,
  B,
  E,
  Pi,
  I,
  Num,
  OBr,
  CBr,
  Add,
  Sub,
  Mul,
  Div,
  Pow,
  Minus,
  Abs,
  Ln,
  Exp,
  None,  // the Start state and the error kinds carry no id
};

inline constexpr int kTokenIdCount = static_cast<int>(TTokenId::None);

// A complex number in 80-bit extended precision. No default member
// initialisers: the evaluator keeps uninitialised slots on the call stack.
struct TComplex {
  long double Re;
  long double Im;
};

struct TToken {
  TTokenKind Kind = TTokenKind::Var;
  TTokenId Id = TTokenId::Z;
  TComplex Value{};
};

class TTokenList {
 public:
  using TRecords = std::vector<std::unique_ptr<TToken>>;

  void Push(std::unique_ptr<TToken> token);
  TToken* Top() const;            // nullptr when empty
  std::unique_ptr<TToken> Pop();  // nullptr when empty
  void Clear();

  bool Empty() const { return FRecords.empty(); }
  int Count() const { return static_cast<int>(FRecords.size()); }
  const TToken& operator[](int index) const { return *FRecords[index]; }
  TRecords::const_iterator begin() const { return FRecords.begin(); }
  TRecords::const_iterator end() const { return FRecords.end(); }

  // Most values the bound program keeps pending at once; 0 while the list is
  // not a bound, well-formed program. Any change to the list unbinds it.
  int StackDepth() const { return FStackDepth; }

 private:
  friend void BindParameters(TTokenList& program, long double a, long double b);

  TRecords FRecords;
  int FStackDepth = 0;
};

}  // namespace vortexa
