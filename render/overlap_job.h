// TOverlapJob: one piece of work at a time on a thread of its own, so that a
// frame or band is encoded while the caller computes the next one.
#pragma once

#include <functional>
#include <future>

namespace vortexa {

class TOverlapJob {
 public:
  TOverlapJob() = default;
  TOverlapJob(const TOverlapJob&) = delete;
  TOverlapJob& operator=(const TOverlapJob&) = delete;
  // Waits for the job still running; its error is lost only when the owner
  // is already unwinding from another one.
  ~TOverlapJob() {
    if (FPending.valid()) FPending.wait();
  }

  // Waits for the previous job (rethrowing its error), then starts this one.
  void Start(std::function<void()> job) {
    Wait();
    FPending = std::async(std::launch::async, std::move(job));
  }
  // Waits for the running job and rethrows what it threw.
  void Wait() {
    if (FPending.valid()) FPending.get();
  }

 private:
  std::future<void> FPending;
};

}  // namespace vortexa
