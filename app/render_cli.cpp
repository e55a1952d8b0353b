// vortexa-render: computes one view through the engine and writes its picture.
#include <QImage>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "app/render_options.h"
#include "engine/calc_grid.h"
#include "render/palette.h"

namespace vortexa {
namespace {

QImage ComposeFlat(const TCalcGrid& grid, const TPalette& palette) {
  QImage picture(grid.GridWidth(), grid.GridHeight(), QImage::Format_ARGB32);
  for (int row = 0; row < grid.GridHeight(); ++row) {
    const TDot* dots = grid.RowPtr(row);
    auto* pixels = reinterpret_cast<TColor32*>(picture.scanLine(row));
    for (int col = 0; col < grid.GridWidth(); ++col)
      pixels[col] = palette.GetColor(LoadDot(dots[col]));
  }
  return picture;
}

// Raw little-endian unsigned 16-bit counts, row-major, row 0 first.
bool WriteCounts(const TCalcGrid& grid, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  for (int row = 0; row < grid.GridHeight(); ++row) {
    const TDot* dots = grid.RowPtr(row);
    for (int col = 0; col < grid.GridWidth(); ++col) {
      const TDot dot = LoadDot(dots[col]);
      const char bytes[2] = {static_cast<char>(dot & 0xFF), static_cast<char>(dot >> 8)};
      out.write(bytes, 2);
    }
  }
  return static_cast<bool>(out.flush());
}

int Run(const TRenderRequest& request) {
  TCalcGrid grid;
  grid.SetOptions(request.Options);
  grid.SetSize(request.Width, request.Height);
  grid.SetView(request.CenterX, request.CenterY, request.Limit, request.Range);

  const auto start = std::chrono::steady_clock::now();
  grid.Start(ccDraw);
  grid.WaitIdle();
  const auto elapsed = std::chrono::steady_clock::now() - start;

  std::vector<std::int32_t> hist(500);
  TCalcStats stats;
  grid.GetStatistics(0, 1, request.Limit, hist, stats);
  std::printf("kernel=%d ms=%lld escaped=%d inside=%d predicted=%d\n", grid.GetKernel(),
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()),
              stats[0], stats[1], stats[3]);

  if (!request.CountsPath.empty() && !WriteCounts(grid, request.CountsPath)) {
    std::cerr << "vortexa-render: cannot write \"" << request.CountsPath << "\"\n";
    return 1;
  }
  const TColorPositions& colors = request.Colors;
  TPalette palette;
  palette.SetColors(colors.ColorMode, colors.Hue * 4, colors.Saturation * 8, colors.Highlight * 8);
  palette.SetPeriod(colors.Period);
  palette.SetLimit(request.Limit);
  if (!ComposeFlat(grid, palette).save(QString::fromStdString(request.OutputPath), "PNG")) {
    std::cerr << "vortexa-render: cannot write \"" << request.OutputPath << "\"\n";
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace vortexa

int main(int argc, char** argv) {
  using namespace vortexa;
  TRenderRequest request;
  try {
    request = ParseRenderArguments(std::vector<std::string>(argv + 1, argv + argc));
    CheckOutputPaths(request);
  } catch (const EUsageError& error) {
    std::cerr << "vortexa-render: " << error.what() << "\n" << kRenderUsage << "\n";
    return 2;
  }
  return Run(request);
}
