// The yardstick of the engine benchmarks: the fastest plain loop over a whole
// frame's points that this processor allows, with the lane families'
// arithmetic, on one thread and without any grid, row or pass around it.
#pragma once

#include <cstdint>

namespace vortexa::bench {

// Sum over the points of their lane count (z1 = c tested first), the limit for
// points that stay inside. Points: c = (re[i], im[i]) for i < count.
using TYardstick32 = std::int64_t (*)(const float* re, const float* im, int count, int limit);
using TYardstick64 = std::int64_t (*)(const double* re, const double* im, int count, int limit);

// The widest version this processor runs (AVX-512, else AVX2), or null; name
// receives its name.
TYardstick32 BestYardstick32(const char** name);
TYardstick64 BestYardstick64(const char** name);

std::int64_t YardstickAvx512(const float* re, const float* im, int count, int limit);
std::int64_t YardstickAvx512(const double* re, const double* im, int count, int limit);
std::int64_t YardstickAvx2(const float* re, const float* im, int count, int limit);
std::int64_t YardstickAvx2(const double* re, const double* im, int count, int limit);

}  // namespace vortexa::bench
