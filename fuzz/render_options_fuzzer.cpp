// The renderer's command line: arguments (one per line of the input) are
// either refused with a usage error or give a request inside every bound.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/render_options.h"
#include "fuzz/fuzz_support.h"

using namespace vortexa;
using vortexa::fuzz::Require;

namespace {

std::vector<std::string> Arguments(std::string_view text) {
  std::vector<std::string> args;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
    args.emplace_back(text.substr(start, end - start));
  if (start < text.size()) args.emplace_back(text.substr(start));
  return args;
}

bool Within(int value, int low, int high) {
  return value >= low && value <= high;
}

void RequireBounded(const TRenderRequest& r) {
  Require(r.CenterX.IsFinite() && r.CenterY.IsFinite() && std::isfinite(r.CenterX.ToLongDouble()) &&
              std::isfinite(r.CenterY.ToLongDouble()),
          "finite centre");
  Require(std::isfinite(r.Range) && r.Range > 0, "positive finite range");
  Require(Within(r.Limit, 1, 100'000'000), "limit");
  Require(Within(r.Width, 1, kMaxPosterSide) && Within(r.Height, 1, kMaxPosterSide), "size");
  Require(Within(r.Options, 0, 63), "options");
  const TColorPositions& c = r.Colors;
  Require(Within(c.ColorMode, 0, 2) && Within(c.Hue, 0, 63) && Within(c.Saturation, 0, 4) &&
              Within(c.Highlight, 0, 6) && Within(c.Period, 0, 12),
          "colour positions");
  Require(Within(r.Rotation, -180, 180) && Within(r.Elevation, 0, 90), "relief angles");
  Require(Within(r.JpegQuality, 0, 2), "JPEG quality");
  Require(std::isfinite(r.ParamRe) && std::isfinite(r.ParamIm), "finite parameter");
  Require(std::isfinite(r.A) && std::isfinite(r.B), "finite a and b");
  if (!r.Formula.empty()) {
    TTokenList program;
    CheckFormula(r.Formula, program);  // a usage error here escapes as a finding
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TRenderRequest request;
  try {
    request = ParseRenderArguments(Arguments(vortexa::fuzz::AsText(data, size)));
  } catch (const EUsageError&) {
    return 0;
  }
  RequireBounded(request);
  return 0;
}
