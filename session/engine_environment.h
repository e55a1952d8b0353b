// The engine's switches that the environment sets for a whole process: the
// workers' fixed team size (VORTEXA_WORKERS) and merged steps (VORTEXA_BLA).
// Entry points read them before any session exists, so that a bad value is
// refused before anything opens or computes.
#pragma once

namespace vortexa {

// Reads both switches; throws std::invalid_argument naming the variable for
// a value it refuses.
void ReadEngineEnvironment();

// Processors this process may run its workers on; at least 1.
int ProcessorsAllowed();

}  // namespace vortexa
