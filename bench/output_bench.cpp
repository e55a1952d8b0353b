// vortexa-output-bench: saving the home view at 3840 x 2160 from the window
// (RenderAtSize: the computation at the output size shown shrunk, the BMP
// file, and the computation again at the window's size) may take at most 1.2
// times the command-line renderer writing the same view and size. The two
// alternate in one run so both see the same machine load.
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_clock.h"
#include "render/picture_file.h"
#include "session/session.h"

namespace vortexa::bench {
namespace {

constexpr int kWidth = 3840, kHeight = 2160;
constexpr int kRounds = 5;

// The renderer started as a user would, writing a BMP.
double RendererMs(const QString& renderer, const QString& file) {
  const auto start = TClock::now();
  const int status = QProcess::execute(
      renderer, {"--size", QString("%1x%2").arg(kWidth).arg(kHeight), "-o", file});
  if (status != 0) {
    std::fprintf(stderr, "vortexa-render failed: %d\n", status);
    std::exit(2);
  }
  return MsSince(start);
}

// A window-sized session (1024 x 640) that saves at the output size.
double RenderAtSizeMs(const QString& file) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  session.Resize(1024, 640);
  session.PressDraw(TViewState{});
  const auto start = TClock::now();
  session.RenderAtSize(kWidth, kHeight, QRect(10, 10, 1004, 565),
                       [&](const QImage& picture) { SavePicture(picture, file); });
  return MsSince(start);
}

}  // namespace
}  // namespace vortexa::bench

int main(int argc, char** argv) {
  using namespace vortexa::bench;
  QGuiApplication application(argc, argv);
  const QString renderer = QCoreApplication::applicationDirPath() + "/../app/vortexa-render";
  QTemporaryDir folder;
  std::vector<double> cli, window;
  for (int round = 0; round < kRounds; ++round) {
    cli.push_back(RendererMs(renderer, folder.filePath("cli.bmp")));
    window.push_back(RenderAtSizeMs(folder.filePath("window.bmp")));
  }
  const double ratio = Median(window) / Median(cli);
  std::printf(
      "home view %dx%d, median of %d: vortexa-render %.0f ms, RenderAtSize %.0f ms, "
      "ratio %.2f (goal <= 1.2)\n",
      kWidth, kHeight, kRounds, Median(cli), Median(window), ratio);
  return ratio <= 1.2 ? 0 : 1;
}
