// Regression views: one view per mended fault, kept as data in
// regression_views/. Each file holds the view's reproduction text and the
// checksum of its counts for each kernel family that draws it. The counts
// come from the engine as the window runs it (prediction and mirroring on):
// every dot not predicted to lie inside must equal a plain scalar loop of
// the family's count definition written here, and no predicted dot may
// touch an escaped one. The recorded checksums are those of the plain
// loops, and guard the reference and the data themselves. On a mismatch the actual and the expected
// pictures are written beside the test output for a person to look at.
//
// File format: "key=value" lines, "#" starts a comment line.
//   view=<reproduction text>        centre, range and limit
//   size=<width>x<height>
//   julia=<re>,<im>                 Julia mode with that constant (optional)
//   init=<re>,<im>                  Mandelbrot from that initial value (optional)
//   single=, double=, extended=     FNV-1a 64 checksum of the counts, in hex
// A family key with the prefix "DISABLED_" names a case that waits for a
// fault to be mended (the comment above it says which); it is listed as
// disabled until the prefix is dropped.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/calc_grid.h"
#include "engine/reference_counts.h"
#include "favorites/mb_item.h"
#include "favorites/number_text.h"
#include "render/palette.h"

namespace vortexa {
namespace {

namespace fs = std::filesystem;

// The count definitions, written out plainly.
using test_support::ReferenceExtended;
using test_support::ReferenceLane;

// ---- views ----

struct TRegressionView {
  std::string Name;  // the file's stem
  TMBItem View;
  int Width = 0, Height = 0;
  bool IsMandel = true;
  long double ParamRe = 0, ParamIm = 0;
  std::map<std::string, std::string> Checksums;  // family key (maybe DISABLED_) -> hex
};

std::pair<long double, long double> ReadPair(const std::string& text, const std::string& what) {
  const auto comma = text.find(',');
  const auto re = ParseExtended(text.substr(0, comma));
  const auto im = comma == std::string::npos ? std::nullopt : ParseExtended(text.substr(comma + 1));
  if (!re || !im) throw std::runtime_error("unreadable " + what + ": " + text);
  return {*re, *im};
}

TRegressionView ReadView(const fs::path& file) {
  TRegressionView view;
  view.Name = file.stem().string();
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line.front() == '#') continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos) throw std::runtime_error(file.string() + ": " + line);
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "view") {
      const auto item = ParseView(value);
      if (!item) throw std::runtime_error(file.string() + ": not a view: " + value);
      view.View = *item;
    } else if (key == "size") {
      const auto x = value.find('x');
      view.Width = ParseInt32(value.substr(0, x)).value_or(0);
      view.Height = ParseInt32(value.substr(x + 1)).value_or(0);
    } else if (key == "julia" || key == "init") {
      view.IsMandel = key == "init";
      std::tie(view.ParamRe, view.ParamIm) = ReadPair(value, key);
    } else {
      view.Checksums[key] = value.substr(0, value.find_first_of(" \t#"));
    }
  }
  if (!view.View.IsView() || view.Width <= 0 || view.Height <= 0 || view.Checksums.empty())
    throw std::runtime_error(file.string() + ": needs a view, a size and a checksum");
  return view;
}

struct TRegressionCase {
  TRegressionView View;
  std::string Family;  // single, double or extended
  bool Disabled = false;
};

std::string CaseName(const TRegressionCase& c) {
  return c.View.Name + "_" + c.Family;
}

// The cases that wait for a mended fault, or all the others.
std::vector<TRegressionCase> Cases(bool disabled) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(VORTEXA_REGRESSION_VIEWS))
    if (entry.path().extension() == ".view") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<TRegressionCase> cases;
  for (const fs::path& file : files) {
    const TRegressionView view = ReadView(file);
    for (const auto& [key, checksum] : view.Checksums) {
      const bool waiting = key.starts_with("DISABLED_");
      if (waiting == disabled) cases.push_back({view, waiting ? key.substr(9) : key, waiting});
    }
  }
  return cases;
}

void PrintTo(const TRegressionCase& c, std::ostream* out) {
  *out << CaseName(c);
}

int KernelOf(const std::string& family) {
  if (family == "single") return kKernelSingle;
  if (family == "double") return kKernelDouble;
  if (family == "extended") return kKernelExtended;
  throw std::runtime_error("no kernel family " + family);
}

// ---- counts ----

using TCounts = std::vector<TDot>;

TCounts ReferenceCounts(const TRegressionView& v, int kernel) {
  const long double step = 2 * v.View.Range.ToLongDouble() / std::min(v.Width, v.Height);
  const int limit = v.View.Limit;
  TCounts counts;
  counts.reserve(static_cast<std::size_t>(v.Width) * v.Height);
  for (int row = 0; row < v.Height; ++row) {
    const long double im = (row - v.Height / 2) * step + v.View.Y.ToLongDouble();
    for (int col = 0; col < v.Width; ++col) {
      const long double re = (col - v.Width / 2) * step + v.View.X.ToLongDouble();
      if (kernel == kKernelSingle) {
        counts.push_back(ReferenceLane(static_cast<float>(re), static_cast<float>(im), limit));
      } else if (kernel == kKernelDouble) {
        counts.push_back(ReferenceLane(static_cast<double>(re), static_cast<double>(im), limit));
      } else if (v.IsMandel) {
        counts.push_back(ReferenceExtended(re, im, v.ParamRe, v.ParamIm, limit));
      } else {
        counts.push_back(ReferenceExtended(v.ParamRe, v.ParamIm, re, im, limit));
      }
    }
  }
  return counts;
}

// As the window draws it, with the dots predicted to lie inside marked so.
TCounts EngineCounts(const TRegressionView& v, int kernel, int& usedKernel) {
  TCalcGrid grid;
  grid.SetOptions(kernel == kKernelExtended ? kOptNoSimd : 0);
  grid.SetSize(v.Width, v.Height);
  grid.SetView(v.View.X, v.View.Y, v.View.Limit, v.View.Range);
  grid.SetFormula(v.IsMandel, nullptr, v.ParamRe, v.ParamIm);
  grid.Start(ccDraw);
  grid.WaitIdle();
  usedKernel = grid.GetKernel();
  TCounts counts;
  for (int row = 0; row < v.Height; ++row)
    for (int col = 0; col < v.Width; ++col)
      counts.push_back(grid.Row(row).Load(col));
  return counts;
}

// A predicted dot must not touch an escaped one: such a guess is repaired.
bool TouchesEscaped(const TCounts& counts, int width, int height, int row, int col) {
  for (int r = std::max(row - 1, 0); r <= std::min(row + 1, height - 1); ++r)
    for (int c = std::max(col - 1, 0); c <= std::min(col + 1, width - 1); ++c)
      if (counts[r * width + c] < kInsideThreshold) return true;
  return false;
}

// Of the counts as 16-bit dots, as they were recorded (every view's limit is
// within the narrow dots' reach).
std::string Checksum(const TCounts& counts) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const TDot dot : counts) {
    const TDot16 narrow = NarrowDot(dot);
    for (const int byte : {narrow & 0xFF, narrow >> 8}) {
      hash ^= static_cast<std::uint64_t>(byte);
      hash *= 0x100000001b3u;
    }
  }
  std::ostringstream text;
  text << std::hex << std::setw(16) << std::setfill('0') << hash;
  return text.str();
}

// The counts in the window's default colours, for a person to compare.
fs::path WritePicture(const TCounts& counts, const TRegressionView& v, const std::string& name) {
  TPalette palette;
  palette.SetColors(2, 0, 0, 24);
  palette.SetLimit(v.View.Limit);
  QImage picture(v.Width, v.Height, QImage::Format_ARGB32);
  for (int row = 0; row < v.Height; ++row)
    for (int col = 0; col < v.Width; ++col)
      picture.setPixel(col, row, palette.GetColor(counts[row * v.Width + col]));
  const fs::path folder = fs::current_path() / "regression_views";
  fs::create_directories(folder);
  const fs::path file = folder / (name + ".png");
  if (!picture.save(QString::fromStdString(file.string()), "PNG"))
    ADD_FAILURE() << "could not write " << file;
  return file;
}

class RegressionView : public testing::TestWithParam<TRegressionCase> {};

TEST_P(RegressionView, CountsMatchThePlainDefinition) {
  const TRegressionCase& c = GetParam();
  const TRegressionView& v = c.View;
  const int kernel = KernelOf(c.Family);
  const std::string recorded = v.Checksums.at((c.Disabled ? "DISABLED_" : "") + c.Family);

  const TCounts expected = ReferenceCounts(v, kernel);
  ASSERT_EQ(Checksum(expected), recorded) << "the reference no longer gives the recorded checksum";

  int usedKernel = -1;
  const TCounts actual = EngineCounts(v, kernel, usedKernel);
  ASSERT_EQ(usedKernel, kernel) << "the view is drawn by another family";

  // A prediction may hide a filament thinner than its lattice, so predicted
  // dots are not compared; every other dot is.
  int differing = 0, predictedBesideEscaped = 0;
  for (int row = 0; row < v.Height; ++row)
    for (int col = 0; col < v.Width; ++col) {
      const std::size_t i = static_cast<std::size_t>(row) * v.Width + col;
      if (actual[i] != kDotPredicted) {
        differing += actual[i] != expected[i];
      } else if (TouchesEscaped(actual, v.Width, v.Height, row, col)) {
        ++predictedBesideEscaped;
      }
    }
  if (differing == 0 && predictedBesideEscaped == 0) return;
  const std::string name = CaseName(c);
  ADD_FAILURE() << differing << " computed dots of " << expected.size()
                << " differ from the plain definition and " << predictedBesideEscaped
                << " predicted dots touch escaped ones; see "
                << WritePicture(actual, v, name + "-actual") << " and "
                << WritePicture(expected, v, name + "-expected");
}

std::string ParamName(const testing::TestParamInfo<TRegressionCase>& info) {
  return CaseName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Views, RegressionView, testing::ValuesIn(Cases(false)), ParamName);
INSTANTIATE_TEST_SUITE_P(DISABLED_Views, RegressionView, testing::ValuesIn(Cases(true)), ParamName);

}  // namespace
}  // namespace vortexa
