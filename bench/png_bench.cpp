// vortexa-png-bench: the PNG writer's row filter and compression level,
// measured on this program's own pictures (the home view and seahorse valley
// at 1920 x 1080 in the default colours, flat and, for a picture of more
// than 256 colours, as a relief): processor time to encode, and file size.
// The settings take turns within each round, so all see the same load, and
// the time is the thread's own, which other processes disturb less.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "engine/calc_grid.h"
#include "render/canvas.h"
#include "render/draw_grid.h"
#include "render/png_file.h"

namespace vortexa::bench {
namespace {

struct TView {
  const char* Name;
  long double X, Y, Range;
  int Limit;
  int Rotation, Elevation;
};

const TView kViews[] = {
    {"home", 0, 0, 2, 1000, 0, 90},
    {"seahorse valley 1e-6", -0.743643887037151L, 0.131825904205330L, 1e-6L, 4000, 0, 90},
    {"seahorse valley 1e-6 relief 30/40", -0.743643887037151L, 0.131825904205330L, 1e-6L, 4000, 30,
     40}};

double ThreadMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

QImage Compose(const TView& view) {
  TCalcGrid grid;
  TNullCanvas canvas;
  TDrawGrid draw(grid, canvas);
  draw.SetSize(1920, 1080);
  grid.SetView(view.X, view.Y, view.Limit, view.Range);
  grid.Start(ccDraw);
  grid.WaitIdle();
  draw.SetLimit(view.Limit);
  draw.SetRotation(view.Rotation);
  draw.SetElevation(view.Elevation);
  draw.Render(true);
  return draw.Picture().Image().copy();
}

int Main(int rounds) {
  const TPngFilter filters[] = {TPngFilter::None, TPngFilter::Sub, TPngFilter::Up};
  const char* filterNames[] = {"none", "sub", "up"};
  const int levels[] = {1, 2, 3, 4, 6, 9};
  for (const TView& view : kViews) {
    const QImage picture = Compose(view);
    std::vector<std::vector<double>> ms(std::size(filters) * std::size(levels));
    std::vector<std::size_t> bytes(ms.size());
    bool indexed = false;
    for (int round = 0; round < rounds; ++round)
      for (std::size_t f = 0; f < std::size(filters); ++f)
        for (std::size_t l = 0; l < std::size(levels); ++l) {
          const double start = ThreadMs();
          const TPngImage png = EncodePng(picture, {filters[f], levels[l]});
          ms[f * std::size(levels) + l].push_back(ThreadMs() - start);
          bytes[f * std::size(levels) + l] = png.CompressedSize;
          indexed = !png.Palette.empty();
        }
    std::printf("%s (%s), median of %d encodings:\n", view.Name, indexed ? "indexed" : "RGB",
                rounds);
    for (std::size_t f = 0; f < std::size(filters); ++f)
      for (std::size_t l = 0; l < std::size(levels); ++l) {
        std::vector<double>& times = ms[f * std::size(levels) + l];
        std::sort(times.begin(), times.end());
        std::printf("  filter %-4s level %d: %7.2f ms %9zu bytes\n", filterNames[f], levels[l],
                    times[times.size() / 2], bytes[f * std::size(levels) + l]);
      }
  }
  return 0;
}

}  // namespace
}  // namespace vortexa::bench

int main(int argc, char** argv) {
  return vortexa::bench::Main(argc > 1 ? std::max(std::atoi(argv[1]), 1) : 9);
}
