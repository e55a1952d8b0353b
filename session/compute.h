// Runs one command of the engine to its end on the caller's thread, for the
// renderer's pictures, posters and videos, which show nothing while it runs.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/calc_grid.h"

namespace vortexa {

// Throws std::runtime_error when dots could not be computed.
inline void ComputeToEnd(TCalcGrid& grid, TCalcCommand command) {
  grid.Start(command);
  grid.WaitIdle();
  if (const TCalcFault fault = grid.LastFault(); fault.Failed)
    throw std::runtime_error(std::to_string(fault.UncomputedDots) +
                             " dots could not be computed: " + fault.Error);
}

}  // namespace vortexa
