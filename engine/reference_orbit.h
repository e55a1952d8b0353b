// The reference orbit of the deep family: the iterates of the view centre,
// computed with as many bits as the view needs and kept in double precision,
// in which the dots' small differences from it are iterated.
#pragma once

#include <vector>

namespace vortexa {

struct TReferenceOrbit {
  // Z0 = 0, Z1 = C, ... up to and including the first iterate that escapes
  // (|Z|^2 > 4) or Z(limit - 1), whichever comes first; one spare Z = 0 after
  // it, so a lane that steps past the end never reads outside.
  std::vector<double> Re;
  std::vector<double> Im;
  // Index of the last iterate: a dot that reaches it continues from Z0.
  int Last = 0;
};

}  // namespace vortexa
