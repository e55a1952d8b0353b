// Recurrences for tests: they stand in for a user formula, which also makes
// the grid use the extended-precision row routine.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <vector>

#include "kernels.h"
#include "recurrence.h"

namespace vortexa::test_support {

struct TCall {
  long double Re, Im;
};

// Plain z^2 + c (or a fixed result), recording where it was asked; it can
// throw for chosen points and hold the first call until released.
class TProbeRecurrence : public TRecurrence {
 public:
  std::optional<TDot> Fixed;
  std::function<bool(long double re, long double im)> ThrowWhen;
  bool HoldFirstCall = false;
  bool Symmetric = true;  // plain z^2 + c and a fixed result both are

  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    bool hold = false;
    {
      std::lock_guard lock(FLock);
      hold = HoldFirstCall && FCalls.empty();
      FCalls.push_back({cRe, cIm});
    }
    if (hold) WaitForRelease();
    if (ThrowWhen && ThrowWhen(cRe, cIm)) throw std::runtime_error("arithmetic fault");
    return Fixed ? *Fixed : IterateFPU(cRe, cIm, zRe, zIm, limit);
  }

  bool IsConjugationSymmetric() const override { return Symmetric; }

  std::vector<TCall> Calls() const {
    std::lock_guard lock(FLock);
    return FCalls;
  }
  void ForgetCalls() {
    std::lock_guard lock(FLock);
    FCalls.clear();
  }
  // True once the held first call has arrived.
  bool WaitUntilHeld(std::chrono::seconds timeout) const {
    std::unique_lock lock(FLock);
    return FChanged.wait_for(lock, timeout, [this] { return FHeld; });
  }
  void Release() {
    std::lock_guard lock(FLock);
    FReleased = true;
    FChanged.notify_all();
  }

 private:
  void WaitForRelease() const {
    std::unique_lock lock(FLock);
    FHeld = true;
    FChanged.notify_all();
    FChanged.wait(lock, [this] { return FReleased; });
  }

  mutable std::mutex FLock;
  mutable std::condition_variable FChanged;
  mutable std::vector<TCall> FCalls;
  mutable bool FHeld = false;
  bool FReleased = false;
};

}  // namespace vortexa::test_support
