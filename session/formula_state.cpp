#include "session/formula_state.h"

#include <algorithm>
#include <cmath>

#include "favorites/number_text.h"
#include "formula/evaluate.h"

namespace vortexa {

namespace {

TTokenList CopyTokens(const TTokenList& program) {
  TTokenList copy;
  for (const auto& token : program)
    copy.Push(std::make_unique<TToken>(*token));
  return copy;
}

}  // namespace

int PadPosition(int dot) {
  // (dot - margin) / scale never lies halfway between two integers.
  const long position = std::lround(static_cast<double>(dot - kPadMargin) / kPadScale);
  return static_cast<int>(std::clamp(position, 0L, static_cast<long>(kPadPositions)));
}

int PadDot(int position) {
  return kPadScale * position + kPadMargin;
}

bool OnMarker(int dot, int position) {
  return std::abs(dot - PadDot(position)) <= kPadGrabReach;
}

long double PadParameter(std::string_view minText, std::string_view maxText, int position) {
  const long double low = ParseExtended(minText).value_or(0);
  const long double high = ParseExtended(maxText).value_or(0);
  return (high - low) * position / kPadPositions + low;
}

TOwnedFormula::TOwnedFormula(const TTokenList& checked, long double a, long double b)
    : FProgram(CopyTokens(checked)) {
  BindParameters(FProgram, a, b);
}

bool TFormulaState::CheckIfDirty(bool& dirty, TTokenList& program, std::string_view text,
                                 TFormulaField field, TFormulaOutcome& outcome) {
  if (!dirty) return true;
  if (!FSyntax.Check(program, text)) {
    outcome.Problem = TSyntaxProblem{field, FSyntax.ErrorMessage(), FSyntax.ErrorPos()};
    return false;
  }
  outcome.Passed.push_back(field);
  dirty = false;
  return true;
}

TFormulaOutcome TFormulaState::Apply(const TFormulaRequest& request) {
  TFormulaOutcome outcome;
  if (request.UseRecurrence && !CheckIfDirty(FExprDirty, FExprTokens, request.Recurrence,
                                             TFormulaField::Recurrence, outcome))
    return outcome;
  if (!CheckIfDirty(FInitDirty, FInitTokens, request.Initial, TFormulaField::Initial, outcome))
    return outcome;

  BindParameters(FInitTokens, FA, FB);
  const TComplex zero{0, 0};
  TFormulaChoice choice{request.IsMandel, nullptr, zero};
  Evaluate(FInitTokens, zero, zero, choice.Initial);
  if (request.UseRecurrence)
    choice.Recurrence = std::make_shared<TOwnedFormula>(FExprTokens, FA, FB);
  outcome.Choice = choice;
  return outcome;
}

}  // namespace vortexa
