// TVideoCanvas: a canvas that films what is presented on it. It keeps the
// picture as a window would show it and hands it on as a frame each time its
// clock passes a frame's time. The clock is virtual: pauses and animation
// pacing cost no real time, except while the engine computes, when sleeps
// are real so that the passes show at the speed they really take.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>

#include "render/canvas.h"

namespace vortexa {

class TVideoCanvas : public TCanvas, public TEventPump {
 public:
  // `frame` gets every frame; `computing` tells whether the engine is busy;
  // `full` is called once when maxFrames frames have been made (0: no limit).
  TVideoCanvas(int width, int height, int fps, std::function<void(const QImage&)> frame,
               std::function<bool()> computing, int maxFrames = 0, std::function<void()> full = {});

  void Present(const QImage& image, int left, int top) override;
  void PresentStretched(const QImage& image, const QRect& dest) override;
  void ProcessEvents() override {}
  std::int64_t NowMs() override { return FNow; }
  void SleepMs(int milliseconds) override;
  void SleepMsUnless(int milliseconds, const std::function<bool()>& ended) override;

  int Frames() const { return FFrames; }
  const QImage& Picture() const { return FPicture; }

 private:
  void Advance(int milliseconds);

  QImage FPicture;
  int FFps;
  std::function<void(const QImage&)> FFrame;
  std::function<bool()> FComputing;
  int FMaxFrames;
  std::function<void()> FFull;
  std::int64_t FNow = 0;
  int FFrames = 0;
};

}  // namespace vortexa
