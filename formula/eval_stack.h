// The evaluation stack shared by Evaluate and the per-iteration kernel.
#pragma once

#include <array>
#include <memory>

#include "formula/complex_ops.h"
#include "formula/token_list.h"

namespace vortexa {

// Room for most programs without touching the heap.
inline constexpr int kEvalStackSize = 51;

// An entry refers to Z, C, a token's value, or to its own slot once an
// operation has stored a result there, so operands are never copied.
struct TEvalEntry {
  const TComplex* Value;
  TComplex Slot;
};

class TEvalStack {
 public:
  // depth: the program's StackDepth; deeper programs get entries on the heap,
  // once per stack and never per evaluation.
  explicit TEvalStack(int depth)
      : FHeap(depth > kEvalStackSize ? std::make_unique_for_overwrite<TEvalEntry[]>(depth)
                                     : nullptr),
        FEntries(FHeap ? FHeap.get() : FInline.data()) {}
  // FEntries may point into the object itself.
  TEvalStack(const TEvalStack&) = delete;
  TEvalStack& operator=(const TEvalStack&) = delete;

  // The value of a bound program; refers into the stack, Z, C or the program.
  const TComplex& Run(const TTokenList& program, const TComplex& z, const TComplex& c) {
    TEvalEntry* top = FEntries - 1;
    for (const auto& token : program) {
      switch (token->Kind) {
        case TTokenKind::Var:
          (++top)->Value = token->Id == TTokenId::Z ? &z : &c;
          break;
        case TTokenKind::Const:
          (++top)->Value = &token->Value;
          break;
        case TTokenKind::Op: {
          TEvalEntry& left = top[-1];
          OpTable[static_cast<int>(token->Id)](left.Slot, *left.Value, *top->Value);
          left.Value = &left.Slot;
          --top;
          break;
        }
        default:  // Func, the unary minus included once bound
          ApplyFunction(token->Id, *top->Value, top->Slot);
          top->Value = &top->Slot;
          break;
      }
    }
    return *FEntries[0].Value;
  }

 private:
  std::array<TEvalEntry, kEvalStackSize> FInline;
  std::unique_ptr<TEvalEntry[]> FHeap;
  TEvalEntry* FEntries;
};

}  // namespace vortexa
