// The formula checker: any text is either refused with a message at a
// position inside the text, or becomes a program that evaluates.
#include <cstdint>
#include <string>

#include "formula/evaluate.h"
#include "formula/syntax.h"
#include "fuzz/fuzz_support.h"

using namespace vortexa;
using vortexa::fuzz::Require;

namespace {

void EvaluateAt(const TTokenList& program, TComplex z, TComplex c) {
  ClearArithmeticFaults();
  TComplex result{};
  try {
    Evaluate(program, z, c, result);
  } catch (const EArithmeticError&) {
    // A fault of the formula itself (C/Z at Z = 0), reported as it should be.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = vortexa::fuzz::AsText(data, size);
  TTokenList program;
  TSyntax syntax;
  if (!syntax.Check(program, text)) {
    Require(!syntax.ErrorMessage().empty(), "a refusal says why");
    Require(syntax.ErrorPos() >= 0 && static_cast<std::size_t>(syntax.ErrorPos()) <= text.size(),
            "the error position lies in the text");
    return 0;
  }
  BindParameters(program, 0.5L, -0.25L);
  Require(program.StackDepth() > 0, "a checked program binds");
  EvaluateAt(program, {0, 0}, {0, 0});
  EvaluateAt(program, {0.25L, -0.5L}, {-0.75L, 0.125L});
  EvaluateAt(program, {1e3000L, -1e-3000L}, {-1e4000L, 3});
  return 0;
}
