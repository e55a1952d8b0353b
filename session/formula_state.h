// TFormulaState: what the formula window decides, without the window. It
// checks the recurrence and the initial value, binds the parameters a and b,
// evaluates the initial value and gives the engine a program of its own, so
// that rebuilding or rebinding the window's programs never touches one a
// computation reads.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/recurrence.h"
#include "formula/formula_kernel.h"
#include "formula/syntax.h"
#include "formula/token_list.h"

namespace vortexa {

// The pad: positions 0..kPadPositions on each axis, kPadScale dots apart,
// kPadMargin dots from the pad's edge.
inline constexpr int kPadPositions = 100;
inline constexpr int kPadScale = 3;
inline constexpr int kPadMargin = 10;
// A press grabs the marker within this many dots of its centre on both axes.
inline constexpr int kPadGrabReach = 5;

// The pad position nearest to a dot coordinate, kept within the pad.
int PadPosition(int dot);
// The dot coordinate of a pad position's centre line.
int PadDot(int position);
// Whether a press at this dot coordinate is on the marker at that position.
bool OnMarker(int dot, int position);
// (max - min) × position / 100 + min in extended precision; a text that is
// not a number counts as 0.
long double PadParameter(std::string_view minText, std::string_view maxText, int position);

// A bound recurrence program the engine owns: a copy of the window's.
class TOwnedFormula : public TRecurrence {
 public:
  TOwnedFormula(const TTokenList& checked, long double a, long double b);
  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag stop) const override {
    return FRecurrence.Iterate(cRe, cIm, zRe, zIm, limit, stop);
  }
  bool IsConjugationSymmetric() const override { return FRecurrence.IsConjugationSymmetric(); }

 private:
  TTokenList FProgram;
  TFormulaRecurrence FRecurrence{FProgram};
};

enum class TFormulaField { Recurrence, Initial };

struct TFormulaRequest {
  bool IsMandel = true;
  bool UseRecurrence = false;  // "有効": otherwise z^2 + c
  std::string_view Recurrence;
  std::string_view Initial;
};

struct TSyntaxProblem {
  TFormulaField Field;
  std::string Message;
  int Pos = 0;
};

// What the engine is given: the mode, the recurrence (null for z^2 + c) and
// the initial value or Julia constant.
struct TFormulaChoice {
  bool IsMandel = true;
  std::shared_ptr<const TRecurrence> Recurrence;
  TComplex Initial{0, 0};
};

struct TFormulaOutcome {
  // Fields whose check passed in this application, in order.
  std::vector<TFormulaField> Passed;
  // Either the first syntax problem or the choice for the engine.
  std::optional<TSyntaxProblem> Problem;
  std::optional<TFormulaChoice> Choice;
};

class TFormulaState {
 public:
  // A formula text changed: it is checked again before its next use.
  void RecurrenceChanged() { FExprDirty = true; }
  void InitialChanged() { FInitDirty = true; }
  void MarkDirty() { FExprDirty = FInitDirty = true; }
  bool RecurrenceDirty() const { return FExprDirty; }
  bool InitialDirty() const { return FInitDirty; }

  void SetParameters(long double a, long double b) {
    FA = a;
    FB = b;
  }
  long double A() const { return FA; }
  long double B() const { return FB; }

  // Checks the recurrence (only when in use) and the initial value where
  // they changed, then evaluates the initial value with Z = C = 0. The first
  // syntax problem stops it. An arithmetic fault of the initial value throws
  // EArithmeticError before anything is chosen.
  TFormulaOutcome Apply(const TFormulaRequest& request);

 private:
  bool CheckIfDirty(bool& dirty, TTokenList& program, std::string_view text, TFormulaField field,
                    TFormulaOutcome& outcome);

  TSyntax FSyntax;
  TTokenList FExprTokens;
  TTokenList FInitTokens;
  bool FExprDirty = true;
  bool FInitDirty = true;
  long double FA = 0;
  long double FB = 0;
};

}  // namespace vortexa
