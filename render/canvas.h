// TCanvas: where the composed picture is shown. The main window implements
// it; tests use an offscreen recorder.
// TEventPump: what lets the window live while a command runs on its thread
// (pending input and repaints, the clock, sleeps). Only a running command may
// pump: the session hands its pump out through the busy scope alone, so no
// command can start inside another one's loop.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>

namespace vortexa {

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  // Draws the image with source-over blending at (left, top) of the canvas.
  virtual void Present(const QImage& image, int left, int top) = 0;
  // Draws the whole image scaled into dest (nearest neighbour is enough).
  virtual void PresentStretched(const QImage& image, const QRect& dest) = 0;
};

class TEventPump {
 public:
  virtual ~TEventPump() = default;

  // Lets the window handle pending input and repaints between frames.
  virtual void ProcessEvents() = 0;
  // Monotonic milliseconds and a sleep in the same time base.
  virtual std::int64_t NowMs() = 0;
  virtual void SleepMs(int milliseconds) = 0;
  // Sleeps as long, or less once `ended` holds; it is asked every millisecond.
  virtual void SleepMsUnless(int milliseconds, const std::function<bool()>& ended) {
    for (int slept = 0; slept < milliseconds && !ended(); ++slept)
      SleepMs(1);
  }
};

// For pictures that are composed but never shown, as on the command line:
// nothing is shown, no window waits for events and no time passes.
class TNullCanvas : public TCanvas, public TEventPump {
 public:
  void Present(const QImage&, int, int) override {}
  void PresentStretched(const QImage&, const QRect&) override {}
  void ProcessEvents() override {}
  std::int64_t NowMs() override { return 0; }
  void SleepMs(int) override {}
};

}  // namespace vortexa
