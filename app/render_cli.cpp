// vortexa-render: computes one view through the engine and writes its picture.
#include <QImage>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "app/render_options.h"
#include "engine/calc_grid.h"
#include "engine/team_size.h"
#include "formula/evaluate.h"
#include "formula/formula_kernel.h"
#include "render/canvas.h"
#include "render/draw_grid.h"
#include "render/picture_file.h"

namespace vortexa {
namespace {

// Composes through the same Render the window uses.
void ComposePicture(TDrawGrid& draw, const TRenderRequest& request) {
  const TColorPositions& colors = request.Colors;
  draw.SetColors(colors.ColorMode, colors.Hue * 4, colors.Saturation * 8, colors.Highlight * 8);
  draw.SetPeriod(colors.Period);
  draw.SetLimit(request.Limit);
  draw.SetRotation(request.Rotation);
  draw.SetElevation(request.Elevation);
  draw.SetConvex(!request.Concave);
  draw.SetThickWalls(!request.ThinWalls);
  draw.Render(true);
}

// Throws TPictureFileError when the picture could not be written.
void WritePicture(const QImage& picture, const TRenderRequest& request) {
  const QString path = QString::fromStdString(request.OutputPath);
  if (PictureExtension(request.OutputPath) != ".png") {
    SavePicture(picture, path, request.JpegQuality);
    return;
  }
  if (!picture.save(path, "PNG"))
    throw TPictureFileError("cannot write \"" + request.OutputPath + "\"");
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
  TNullCanvas canvas;
  TDrawGrid draw(grid, canvas);
  grid.SetOptions(request.Options);
  draw.SetSize(request.Width, request.Height);
  grid.SetView(request.CenterX, request.CenterY, request.Limit, request.Range);
  TTokenList program;
  std::optional<TFormulaRecurrence> recurrence;
  if (!request.Formula.empty()) {
    CheckFormula(request.Formula, program);
    BindParameters(program, request.A, request.B);
    recurrence.emplace(program);
  }
  grid.SetFormula(request.IsMandel, recurrence ? &*recurrence : nullptr, request.ParamRe,
                  request.ParamIm);

  const auto start = std::chrono::steady_clock::now();
  grid.Start(ccDraw);
  grid.WaitIdle();
  const auto elapsed = std::chrono::steady_clock::now() - start;

  std::vector<std::int32_t> hist(500);
  TCalcStats stats;
  grid.GetStatistics(0, 1, request.Limit, hist, stats);
  std::printf(
      "kernel=%d ms=%lld escaped=%d inside=%d predicted=%d workers=%d,%d,%d processors=%d\n",
      grid.GetKernel(),
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()),
      stats[0], stats[1], stats[3], grid.PassTeamSize(1), grid.PassTeamSize(2),
      grid.PassTeamSize(3), AllowedProcessorCount());

  if (!request.CountsPath.empty() && !WriteCounts(grid, request.CountsPath)) {
    std::cerr << "vortexa-render: cannot write \"" << request.CountsPath << "\"\n";
    return 1;
  }
  ComposePicture(draw, request);
  try {
    WritePicture(draw.Picture().Image(), request);
  } catch (const TPictureFileError& error) {
    std::cerr << "vortexa-render: " << error.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace vortexa

int main(int argc, char** argv) {
  using namespace vortexa;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kRenderUsage << "\n";
    return 0;
  }
  TRenderRequest request;
  try {
    request = ParseRenderArguments(args);
    CheckOutputPaths(request);
  } catch (const EUsageError& error) {
    std::cerr << "vortexa-render: " << error.what() << " (see --help)\n";
    return 2;
  }
  try {
    FixedTeamSizeFromEnvironment();  // refused before anything is computed
  } catch (const std::invalid_argument& error) {
    std::cerr << "vortexa-render: " << error.what() << "\n";
    return 2;
  }
  return Run(request);
}
