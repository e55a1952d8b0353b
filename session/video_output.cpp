#include "session/video_output.h"

#include "render/video_module.h"

namespace vortexa {

namespace {

// Opens the file, films into it through `film` and completes the file, also
// when the filming stopped early.
TFilmed Film(const std::string& path, int width, int height, int fps, int framesWanted,
             const TFilmProgress& progress,
             const std::function<int(const std::function<void(const QImage&)>& frame)>& film) {
  const std::unique_ptr<TVideoSink> video = OpenVideo(path, {width, height, fps});
  const int frames = film([&](const QImage& frame) {
    video->AddFrame(frame);
    if (progress) progress(video->FramesAdded(), framesWanted);
  });
  video->Finish();
  return {frames, video->CodecName()};
}

}  // namespace

TFilmed FilmTourVideo(const std::string& path, const TTourVideoJob& job,
                      const std::function<void(TSession&)>& prepare, const TFilmProgress& progress,
                      const std::function<bool()>& stop) {
  return Film(path, job.Width, job.Height, job.Fps, job.MaxFrames, progress,
              [&](const auto& frame) { return FilmTour(job, prepare, frame, stop); });
}

TFilmed FilmZoomVideo(TSession& session, const std::string& path, int fps, const TZoomVideoJob& job,
                      const TFilmProgress& progress, const std::function<bool()>& stop) {
  const QSize size = session.PictureSize();
  return Film(path, size.width(), size.height(), fps, job.Frames, progress,
              [&](const auto& frame) { return RenderZoomVideo(session, job, frame, stop); });
}

std::optional<TFilmed> SaveTourVideo(TSession& session, const std::string& path,
                                     const TTourVideoJob& job, const TFilmProgress& progress) {
  std::optional<TFilmed> filmed;
  session.RunCommand(TCommandId::SaveTourVideo, [&](TBusyScope& busy) {
    const auto prepare = [&session](TSession& filming) {
      filming.SetOptions(session.Options());
      filming.LoadView(session.View(), session.Colors());
      filming.ShowView();
      const TSession::TFormulaSetting& formula = session.Formula();
      filming.SetFormula(formula.IsMandel, formula.Recurrence, formula.ParamRe, formula.ParamIm);
    };
    filmed = FilmTourVideo(path, job, prepare, progress, [&] {
      busy.ProcessEvents();
      return session.AbortRequested();
    });
  });
  return filmed;
}

}  // namespace vortexa
