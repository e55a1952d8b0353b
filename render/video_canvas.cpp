#include "render/video_canvas.h"

#include <QPainter>
#include <chrono>
#include <thread>

namespace vortexa {

TVideoCanvas::TVideoCanvas(int width, int height, int fps, std::function<void(const QImage&)> frame,
                           std::function<bool()> computing, int maxFrames,
                           std::function<void()> full)
    : FPicture(width, height, QImage::Format_RGB32),
      FFps(fps),
      FFrame(std::move(frame)),
      FComputing(std::move(computing)),
      FMaxFrames(maxFrames),
      FFull(std::move(full)) {
  FPicture.fill(Qt::black);
}

void TVideoCanvas::Present(const QImage& image, int left, int top) {
  QPainter(&FPicture).drawImage(left, top, image);
}

void TVideoCanvas::PresentStretched(const QImage& image, const QRect& dest) {
  QPainter(&FPicture).drawImage(dest, image);
}

void TVideoCanvas::SleepMs(int milliseconds) {
  if (FComputing()) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  Advance(milliseconds);
}

void TVideoCanvas::SleepMsUnless(int milliseconds, const std::function<bool()>& ended) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!ended() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Advance(milliseconds);
}

// Frame k shows the picture at k / fps seconds.
void TVideoCanvas::Advance(int milliseconds) {
  FNow += milliseconds;
  const auto frameTime = [this](std::int64_t k) { return k * 1000 / FFps; };
  while ((FMaxFrames == 0 || FFrames < FMaxFrames) && frameTime(FFrames) < FNow) {
    FFrame(FPicture);
    if (++FFrames == FMaxFrames && FFull) FFull();
  }
}

}  // namespace vortexa
