#include "app/render_jobs.h"

#include <signal.h>

#include <atomic>
#include <iostream>
#include <stdexcept>

#include "app/progress_line.h"
#include "favorites/fav_files.h"
#include "favorites/fav_tree.h"
#include "favorites/mb_list.h"
#include "formula/evaluate.h"
#include "session/formula_state.h"
#include "session/poster.h"
#include "session/video_output.h"

namespace vortexa {

namespace {

volatile sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
  gInterrupted = 1;
}

bool Interrupted() {
  return gInterrupted != 0;
}

// Exit status of a run stopped by Ctrl+C, as a shell reports one.
constexpr int kInterruptedStatus = 130;

TViewState StartView(const TRenderRequest& request) {
  return {request.CenterX, request.CenterY, request.Range, request.Limit};
}

TViewState EndView(const TRenderRequest& request) {
  return {request.ToCenterX.value_or(request.CenterX), request.ToCenterY.value_or(request.CenterY),
          request.ToRange.value_or(request.Range), request.ToLimit.value_or(request.Limit)};
}

std::filesystem::path FavoritesFile(const TRenderRequest& request) {
  if (!request.FavoritesPath.empty()) return request.FavoritesPath;
  if (std::filesystem::exists(OwnFavoritesFile())) return OwnFavoritesFile();
  if (const auto shipped = FindRecommendedFile(RecommendedFileFolders())) return *shipped;
  throw std::runtime_error("no favourites file: give --favorites FILE.fav");
}

// The favourites of the request's tour: the named destination, or every
// favourite marked for random tours. The list keeps the items alive.
TTourRoute RequestedRoute(const TRenderRequest& request, TMBList& favorites) {
  TFavTree tree(favorites);
  const std::filesystem::path file = FavoritesFile(request);
  tree.LoadFile(file, true);
  TTourRoute route;
  route.Candidates = tree.TourCandidates();
  for (int i = 0; i < favorites.Count() && !request.RandomTour && !route.Destination; ++i)
    if (favorites.GetItem(i)->Name == request.TourDestination)
      route.Destination = favorites.GetItem(i);
  if (request.RandomTour && route.Candidates.size() < 2)
    throw std::runtime_error(file.string() + " has fewer than two favourites for random tours");
  if (!request.RandomTour && !route.Destination)
    throw std::runtime_error("no favourite named \"" + request.TourDestination + "\" in " +
                             file.string());
  return route;
}

TFilmed RunZoomVideo(const TRenderRequest& request, const TFilmProgress& progress) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  PrepareSession(session, request);
  session.Resize(request.Width, request.Height);
  return FilmZoomVideo(session, request.VideoPath, request.Fps,
                       {StartView(request), EndView(request), VideoFrames(request)}, progress,
                       Interrupted);
}

TFilmed RunTourVideo(const TRenderRequest& request, const TFilmProgress& progress) {
  TMBList favorites;
  const TTourVideoJob job{request.Width,     request.Height,
                          request.Fps,       VideoFrames(request),
                          request.TourSpeed, RequestedRoute(request, favorites)};
  return FilmTourVideo(
      request.VideoPath, job, [&](TSession& session) { PrepareSession(session, request); },
      progress, Interrupted);
}

}  // namespace

void PrepareSession(TSession& session, const TRenderRequest& request) {
  session.SetOptions(request.Options);
  session.LoadView(StartView(request), request.Colors);
  session.ShowView();
  std::shared_ptr<const TRecurrence> formula;
  if (!request.Formula.empty()) {
    TTokenList program;
    CheckFormula(request.Formula, program);
    formula = std::make_shared<TOwnedFormula>(program, request.A, request.B);
  }
  session.SetFormula(request.IsMandel, std::move(formula), request.ParamRe, request.ParamIm);
}

int RunStitch(const TRenderRequest& request) {
  std::vector<QString> bands;
  for (const std::string& path : request.StitchPaths)
    bands.push_back(QString::fromStdString(path));
  StitchBandFiles(bands, QString::fromStdString(request.OutputPath));
  return 0;
}

int RunBands(const TRenderRequest& request) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  PrepareSession(session, request);
  std::optional<TBandLabel> tile;
  if (request.TileCount > 0)
    tile = TBandLabel{request.TileIndex, request.TileCount, request.Height};
  TProgressLine progress("rows");
  RenderPngInBands(session, request.Width, request.Height,
                   QString::fromStdString(request.OutputPath), tile,
                   [&](int rowsDone, int rows) { progress.Update(rowsDone, rows); });
  progress.Finish();
  return 0;
}

int RunVideo(const TRenderRequest& request) {
  TProgressLine progress("frames");
  const auto show = [&progress](int done, int wanted) { progress.Update(done, wanted); };
  const TFilmed filmed =
      IsZoomVideo(request) ? RunZoomVideo(request, show) : RunTourVideo(request, show);
  progress.Finish();
  std::cerr << "vortexa-render: " << filmed.Frames << " frames of " << request.Width << "x"
            << request.Height << " at " << request.Fps << " fps (" << filmed.Codec << ")"
            << (Interrupted() ? ", stopped by Ctrl+C" : "") << "\n";
  return Interrupted() ? kInterruptedStatus : 0;
}

void WatchInterrupt() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace vortexa
