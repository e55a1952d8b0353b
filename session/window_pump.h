// The event pump of a session on the window thread: Qt's pending events, the
// steady clock and real sleeps. The window hands it to its session and keeps
// no other way to it, so only a running command lets events in.
#pragma once

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "render/canvas.h"

namespace vortexa {

class TWindowPump final : public TEventPump {
 public:
  void ProcessEvents() override { QCoreApplication::processEvents(); }
  std::int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void SleepMs(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace vortexa
