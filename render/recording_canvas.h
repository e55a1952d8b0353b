// An offscreen TCanvas and TEventPump for tests: keeps what was presented and runs a
// virtual clock, so that animations are checked frame by frame without
// a display and without sleeping.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <vector>

#include "render/canvas.h"

namespace vortexa {

class TRecordingCanvas : public TCanvas, public TEventPump {
 public:
  struct TPresent {
    QImage image;
    QPoint at;
    QRect stretchedInto;  // null unless stretched
  };

  void Present(const QImage& image, int left, int top) override {
    presents.push_back({image.copy(), QPoint(left, top), QRect()});
    now += msPerPresent;
  }
  void PresentStretched(const QImage& image, const QRect& dest) override {
    presents.push_back({image.copy(), dest.topLeft(), dest});
    now += msPerPresent;
  }
  void ProcessEvents() override { ++eventRounds; }
  std::int64_t NowMs() override { return now; }
  void SleepMs(int milliseconds) override {
    sleeps.push_back(milliseconds);
    now += milliseconds;
  }
  // The virtual clock does not advance the computation: the whole time passes.
  void SleepMsUnless(int milliseconds, const std::function<bool()>&) override {
    SleepMs(milliseconds);
  }

  std::vector<TPresent> presents;
  std::vector<int> sleeps;
  int eventRounds = 0;
  std::int64_t now = 1000;
  // How long presenting a frame takes on the simulated machine.
  int msPerPresent = 0;
};

}  // namespace vortexa
