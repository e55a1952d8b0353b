// Texts of the layers below the window, which know no language, in the
// interface's language: the formula checker's messages and the faults of a
// computation.
#pragma once

#include <QString>
#include <string>

#include "engine/calc_grid.h"

namespace vortexa {

// A message of the formula checker (one of syntax_message::kAll).
QString SyntaxMessageText(const std::string& message);

// The arithmetic faults among flags (FE_* bits), named and listed.
QString ArithmeticFaultNames(int flags);

// Why a computation left dots uncomputed: its arithmetic faults, or the
// error's own text for any other failure.
QString CalcFaultText(const TCalcFault& fault);

}  // namespace vortexa
