#include "calc_grid.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "kernels.h"
#include "perturbation.h"
#include "prediction_repair.h"
#include "team_size.h"

namespace vortexa {

namespace {

// Dot widths down to which single and double precision lanes are exact enough.
constexpr long double kSingleLaneBound = 1e-6L;
constexpr long double kDoubleLaneBound = 1e-15L;

constexpr auto kAbortPollInterval = std::chrono::milliseconds(100);
constexpr int kMaxScaleDivisor = 1 << 16;
// Smallest teams: two workers for the first pass, four for the others.
constexpr int kFirstPassMinimumTeam = 2;
constexpr int kPassMinimumTeam = 4;
// A repair window goes to the team when its predicted dots may cost this many
// iterations (each predicted dot up to the limit), some 100 microseconds:
// waking the team and waiting for it costs a few tens.
constexpr std::int64_t kMinSharedRepairIterations = 50000;
// The team computes the repair windows beforehand only from this limit on:
// it scans the grid once more for them, which at lower limits costs more than
// the inside dots of the windows (the home view at 1024 x 768 and limit 1000
// took 1 ms longer with it, the seahorse view at 1920 x 1080 and limit 4000
// 2 ms shorter).
constexpr int kMinPrecomputedRepairLimit = 2000;
// Merged steps from every iterate of the orbit take some 40 bytes for each
// length (640 bytes an iterate at limit 65000): an orbit of a limit in the
// hundred thousands that never settles on a cycle would need gigabytes, so
// beyond this many iterates the dots take single steps.
constexpr int kMaxMergedStepsOrbit = 1 << 17;

// Rows (or columns) of the old grid that a zoom by n about `anchor` keeps
// (old row r goes to anchor + (r - anchor) * n), and where the kept dots
// start in the new grid. The anchor lies inside the grid.
struct TScaledSpan {
  int Low, High, Offset;
};

TScaledSpan ScaledSpan(int size, int n, int anchor) {
  const int q = anchor / n;
  return {anchor - q, anchor + (size - 1 - anchor) / n, anchor - q * n};
}

// One step below normal, so the window stays responsive; the workers inherit
// it. On Linux the nice value is per thread. Best effort: a failure only costs
// responsiveness.
void LowerThreadPriority() {
  const auto thread = static_cast<id_t>(gettid());
  setpriority(PRIO_PROCESS, thread, getpriority(PRIO_PROCESS, thread) + 1);
}

// Lattice points j - 1, j and j + 1 of a row.
bool AllInside(const std::vector<char>& flags, int j) {
  return flags[j - 1] && flags[j] && flags[j + 1];
}

int ScaleDivisor(float factor) {
  const double ratio = factor < 1 ? 1.0 / factor : factor;
  return static_cast<int>(std::nearbyint(std::clamp(ratio, 1.0, double{kMaxScaleDivisor})));
}

// A custom recurrence that faults leaves the dot uncomputed, as a worker
// would; keeping it predicted would make the repair scan return forever.
TDot RepairDot(TCalcState& state, long double re, long double im) {
  try {
    return IterateDot(state, re, im);
  } catch (const std::exception& error) {
    state.RecordError(error);
    return kDotUncomputed;
  }
}

std::int64_t CountUncomputed(const TDotBuffer& grid) {
  return grid.Visit([](auto dots) {
    return std::count_if(dots.begin(), dots.end(),
                         [](const auto& dot) { return LoadDot(dot) == kDotUncomputed; });
  });
}

}  // namespace

void ClipShift(int dx, int dy, int width, int height, TGridRect& src, TGridRect& dst) {
  const auto clip = [](int d, int size, int& srcLow, int& srcHigh, int& dstLow, int& dstHigh) {
    srcLow = d > 0 ? 0 : -d;
    srcHigh = d > 0 ? size - d : size;
    dstLow = d > 0 ? d : 0;
    dstHigh = d > 0 ? size : size + d;
  };
  clip(dx, width, src.Left, src.Right, dst.Left, dst.Right);
  clip(dy, height, src.Top, src.Bottom, dst.Top, dst.Bottom);
}

int StageProgress(int base, int span, int nextRow, int height) {
  if (height <= 0) return base;
  const std::int64_t product = std::int64_t{nextRow} * span;
  std::int64_t quotient = product / height;
  const std::int64_t twiceRemainder = 2 * (product % height);
  if (twiceRemainder > height || (twiceRemainder == height && quotient % 2 != 0)) ++quotient;
  return base + static_cast<int>(quotient);
}

TCalcGrid::TCalcGrid()
    : FFixedTeamSize(FixedTeamSizeFromEnvironment()),
      FBla(BlaFromEnvironment()),
      FSimdLevel(ProbeSimd()),
      FThread([this] { Execute(); }) {}

TCalcGrid::~TCalcGrid() {
  {
    std::lock_guard lock(FThreadLock);
    FTerminated = true;
  }
  Abort();
  FWake.notify_all();
  FThread.join();
}

// --- Setting up ------------------------------------------------------------

std::unique_lock<std::mutex> TCalcGrid::LockIdle() const {
  std::unique_lock lock(FThreadLock);
  FIdle.wait(lock, [this] { return !FRunning; });
  return lock;
}

void TCalcGrid::SetSize(int width, int height) {
  if (width < 0 || height < 0) throw std::invalid_argument("grid size must not be negative");
  const auto lock = LockIdle();
  // Allocated before anything changes: a size that does not fit in memory
  // leaves the grid as it was.
  TDotBuffer dots(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                  NeedsWideDots(FState.Limit));
  decltype(FState.ColRe) columns(width, 0);
  decltype(FState.RowPasses) rowPasses(height, 0);
  FState.GridWidth = width;
  FState.GridHeight = height;
  FState.Grid = std::move(dots);
  FState.ColRe = std::move(columns);
  FState.RowPasses = std::move(rowPasses);
  FState.BandOffset = 0;
  FPictureHeight = height;
  FState.AxisRow = -1;
  FMinCache = kDotInside;
  FMagnifyAnchorX = FMagnifyAnchorY = 0;
  FReferenceStale = true;  // the orbit's precision follows the dot size
  UpdateScale();
  UpdateColumns();
}

void TCalcGrid::SetBand(int pictureHeight, int firstRow) {
  const auto lock = LockIdle();
  if (firstRow < 0 || firstRow + FState.GridHeight > pictureHeight)
    throw std::invalid_argument("band outside the picture");
  FPictureHeight = pictureHeight;
  FState.BandOffset = firstRow + FState.GridHeight / 2 - pictureHeight / 2;
  FReferenceStale = true;
  UpdateScale();
  UpdateColumns();
}

void TCalcGrid::SetView(const TDeepReal& centerX, const TDeepReal& centerY, int limit,
                        const TFloatExp& range) {
  // Counts above the limit bound would collide with the inside marks.
  if (limit < 1 || limit > kMaxLimit) throw std::invalid_argument("iteration limit out of range");
  const auto lock = LockIdle();
  FitDotWidth(limit);
  FDeepCenterX = centerX;
  FDeepCenterY = centerY;
  FReferenceStale = true;
  FState.CenterX = centerX.ToLongDouble();
  FState.CenterY = centerY.ToLongDouble();
  FState.Limit = limit;
  FRange = range;
  UpdateScale();
  UpdateColumns();
}

// A limit past the narrow dots' reach widens the grid, and one within it
// narrows it again, so that views which never need wide dots keep half the
// memory. Counts too large for narrow dots lie above the new limit: they
// become inside, as they would read at that limit. Allocated before anything
// changes, so a grid that does not fit in memory stays as it was.
void TCalcGrid::FitDotWidth(int limit) {
  const bool wide = NeedsWideDots(limit);
  if (FState.Grid.Wide() == wide) return;
  TDotBuffer fitted(FState.Grid.size(), wide);
  for (std::size_t i = 0; i < fitted.size(); ++i) {
    const TDot dot = FState.Grid.Load(i);
    fitted.Store(i, !wide && dot > kMaxNarrowLimit && dot < kInsideThreshold ? kDotInside : dot);
  }
  FState.Grid = std::move(fitted);
}

void TCalcGrid::SetFormula(bool isMandel, const TRecurrence* formula, long double paramRe,
                           long double paramIm) {
  const auto lock = LockIdle();
  FState.IsMandel = isMandel;
  FState.Formula = formula;
  FState.ParamRe = paramRe;
  FState.ParamIm = paramIm;
  UpdateKernel();
}

void TCalcGrid::SetShift(int dx, int dy) {
  const auto lock = LockIdle();
  FShiftX = dx;
  FShiftY = dy;
}

void TCalcGrid::SetMagnify(float factor, int anchorDx, int anchorDy) {
  if (!(factor > 0) || !std::isfinite(factor))
    throw std::invalid_argument("zoom factor must be positive");
  const auto lock = LockIdle();
  const int col = FState.GridWidth / 2 + anchorDx, row = FState.GridHeight / 2 + anchorDy;
  if ((anchorDx != 0 || anchorDy != 0) &&
      (col < 0 || col >= FState.GridWidth || row < 0 || row >= FState.GridHeight))
    throw std::invalid_argument("zoom anchor must lie inside the grid");
  FMagnify = factor;
  FMagnifyAnchorX = anchorDx;
  FMagnifyAnchorY = anchorDy;
}

int TCalcGrid::Options() const {
  return FOptions;
}

void TCalcGrid::SetOptions(int options) {
  const auto lock = LockIdle();
  FOptions = options;
  UpdateKernel();
}

int TCalcGrid::FixedTeamSize() const {
  return FFixedTeamSize;
}

void TCalcGrid::SetFixedTeamSize(int size) {
  if (size < 0 || size > kMaxTeamSize) throw std::invalid_argument("team size out of range");
  const auto lock = LockIdle();
  FFixedTeamSize = size;
}

bool TCalcGrid::Bla() const {
  return FBla;
}

void TCalcGrid::SetBla(bool on) {
  const auto lock = LockIdle();
  FBla = on;
}

// The range is the distance from the centre to the nearer picture edge.
void TCalcGrid::UpdateScale() {
  const int side = std::min(FState.GridWidth, FPictureHeight);
  FState.Step = side > 0 ? FRange.Scaled(1) / static_cast<long double>(side) : TFloatExp();
  UpdateKernel();
}

void TCalcGrid::UpdateColumns() {
  for (int col = 0; col < FState.GridWidth; ++col)
    FState.ColRe[col] = (col - FState.GridWidth / 2) * FState.StepValue() + FState.CenterX;
  FState.UpdateLaneColumns();
}

// The lane and deep kernels know only z^2 + c from z0 = 0.
void TCalcGrid::UpdateKernel() {
  const TCalcState& s = FState;
  const bool plainMandelbrot = !s.Formula && s.IsMandel && s.ParamRe == 0 && s.ParamIm == 0;
  int kernel = kKernelExtended;
  if ((FOptions & kOptNoSimd) == 0 && plainMandelbrot) {
    if (FSimdLevel >= 1 && s.Step > kSingleLaneBound)
      kernel = kKernelSingle;
    else if (FSimdLevel >= 2 && s.Step > kDoubleLaneBound)
      kernel = kKernelDouble;
    else if (FSimdLevel >= 2)
      kernel = kKernelDeep;
  }
  FState.Kernel = kernel;
}

// --- Running ---------------------------------------------------------------

// Mirroring copies a row onto its partner across the real axis, which is
// exact only when the picture is symmetric: the recurrence commutes with
// conjugation and its parameter (the start value of the Mandelbrot mode, the
// constant of the Julia mode) is real.
bool TCalcGrid::MirrorIsExact() const {
  const TCalcState& s = FState;
  return s.ParamIm == 0 && (!s.Formula || s.Formula->IsConjugationSymmetric());
}

void TCalcGrid::Start(TCalcCommand command) {
  const auto lock = LockIdle();
  const bool mirror = (FOptions & kOptNoMirror) == 0 && MirrorIsExact();
  FState.AxisRow = -1;
  for (int row = 0; row < FState.GridHeight; ++row) {
    FState.StoreRowPass(row, 0);
    if (mirror && std::fabs(FState.RowIm(row)) <= FState.StepValue() / 10) FState.AxisRow = row;
  }
  FCommand = command;
  // Cleared here rather than on the grid thread, so that an Abort right after
  // Start cannot be lost, nor a wait for a pass see the last command's.
  FAbort = false;
  FState.Pass = 0;
  FPassTeams = {};
  FRepairedAreas.clear();
  {
    std::lock_guard faultLock(FState.FaultLock);
    FState.Fault = {};
  }
  FRunning = true;
  FWake.notify_one();
}

// The workers are asked to stop at once rather than at the grid thread's next
// look, so a stop waits for one dot, not for the rest of a 100 ms slice. A pass
// starting at this moment clears the request; the grid thread then raises it
// again at its next look, since FAbort stays set.
void TCalcGrid::Abort() {
  FAbort = true;
  FState.RequestStop(true);
}

bool TCalcGrid::IsIdle() const {
  std::lock_guard lock(FThreadLock);
  return !FRunning;
}

void TCalcGrid::WaitIdle() {
  LockIdle();
}

bool TCalcGrid::WaitIdleFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(FThreadLock);
  return FIdle.wait_for(lock, timeout, [this] { return !FRunning; });
}

bool TCalcGrid::WaitPassFor(int pass, std::chrono::milliseconds timeout) {
  std::unique_lock lock(FThreadLock);
  return FIdle.wait_for(lock, timeout, [&] { return !FRunning || FState.Pass >= pass; });
}

// Waiters for a pass are woken whenever the pass number changes.
void TCalcGrid::SetPass(int pass) {
  {
    std::lock_guard lock(FThreadLock);
    FState.Pass = static_cast<std::int16_t>(pass);
  }
  FIdle.notify_all();
}

int TCalcGrid::Progress() const {
  return StageProgress(FProgressBase, FProgressSpan, FState.NextRow, FState.GridHeight);
}

void TCalcGrid::Execute() {
  pthread_setname_np(pthread_self(), "CalcGrid");
  LowerThreadPriority();
  std::unique_lock lock(FThreadLock);
  for (;;) {
    FWake.wait(lock, [this] { return FRunning || FTerminated; });
    if (FTerminated) return;
    const TCalcCommand command = FCommand;
    lock.unlock();
    try {
      RunCommand(command);
    } catch (const TAbortSignal&) {
      // The command ends quietly; the dots written so far stay.
    } catch (const std::exception& error) {
      // Out of memory or threads: the command ends as if aborted (FCommand
      // keeps its value) and reports the error; the thread stays ready for
      // the next one.
      FState.RecordError(error);
    }
    FTeam.reset();
    CountFaultyDots();
    lock.lock();
    FRunning = false;
    FIdle.notify_all();
  }
}

void TCalcGrid::CountFaultyDots() {
  std::lock_guard lock(FState.FaultLock);
  if (FState.Fault.Failed) FState.Fault.UncomputedDots = CountUncomputed(FState.Grid);
}

TCalcFault TCalcGrid::LastFault() const {
  std::lock_guard lock(FState.FaultLock);
  return FState.Fault;
}

void TCalcGrid::RunCommand(TCalcCommand command) {
  SetStage(0, 0);
  PrepareReferenceOrbit();
  switch (command) {
    case ccDraw:
      SetPass(0);
      ClearOrApplyShift();
      RunStandardSequence(true);
      break;
    case ccContinue:
      SetPass(0);
      ResetUndecided();
      RunStandardSequence(true);
      break;
    case ccDirect:
      SetPass(0);
      ClearOrApplyShift();
      SetPass(2);
      SetStage(0, 100);
      RunPass(3, kPassMinimumTeam);
      SetPass(4);
      break;
    case ccMagnify: {
      const auto [colOffset, rowOffset] = ReuseScaled(FMagnify);
      // Kept dots every 2 or 4 dots already form the stride-4 lattice.
      if (FMagnify == 4.0f || FMagnify == 2.0f) {
        SetPass(2);
        Predict(colOffset, rowOffset);
        RunStandardSequence(false);
      } else {
        SetPass(0);
        RunStandardSequence(true);
      }
      break;
    }
    case ccNone:
      break;
  }
  SetStage(100, 0);
  FCommand = ccNone;
}

// Once per view, before the first pass: every dot of the picture, reused or
// new, and every repaired one follows the same orbit.
void TCalcGrid::PrepareReferenceOrbit() {
  FReferenceTime = std::chrono::nanoseconds{0};
  FState.UseBla = false;
  if (FState.Kernel != kKernelDeep) return;
  if (FReferenceStale) ComputeReference();
  // Dots of views with wide offsets run their own routine, without merged
  // steps; so do those of orbits too long for a table of reasonable size.
  const bool bla =
      FBla && !NeedsWideOffsets(FState.Step) && FState.Reference.Last <= kMaxMergedStepsOrbit;
  // Built only for drawings that use it, in the memory of the table before:
  // 1 to 7 ms up to limit 65000 (20 to 120 ms the first time, for the page
  // faults).
  if (bla && FBlaStale) {
    FState.Bla.Build(FState.Reference, LargestOffset());
    FState.Bla.IteratesPerStep = MergedIteratesPerStep(FState);
    FBlaStale = false;
  }
  // Where steps merge too few iterates, single ones in vector lanes are faster.
  FState.UseBla = bla && FState.Bla.IteratesPerStep >= kMergedStepsPayFrom;
}

void TCalcGrid::ComputeReference() {
  const auto start = std::chrono::steady_clock::now();
  std::optional<TReferenceOrbit> orbit = ComputeReferenceOrbit(
      FDeepCenterX, FDeepCenterY, FState.Limit, BitsForStep(FState.Step), &FAbort);
  // An orbit cut short by an abort stays stale: the next command starts it anew.
  if (!orbit) throw TAbortSignal{};
  FState.Reference = std::move(*orbit);
  FReferenceStale = false;
  FBlaStale = true;
  FReferenceTime = std::chrono::steady_clock::now() - start;
}

// |dc| of the grid's farthest corner from the view centre: a bound for the
// offsets of every dot the grid computes.
double TCalcGrid::LargestOffset() const {
  const TCalcState& s = FState;
  if (s.GridWidth <= 0 || s.GridHeight <= 0) return 0;
  const double re = std::max(std::abs(s.ColDc.front()), std::abs(s.ColDc.back()));
  const double im = std::max(std::abs(s.RowDc(0)), std::abs(s.RowDc(s.GridHeight - 1)));
  return std::hypot(re, im);
}

void TCalcGrid::ClearOrApplyShift() {
  if (FShiftX == 0 && FShiftY == 0)
    Clear();
  else
    ApplyShift();
}

void TCalcGrid::RunStandardSequence(bool fromFirstPass) {
  if (fromFirstPass) {
    SetStage(0, 1);
    RunPass(1, kFirstPassMinimumTeam);
    Predict(0, 0);
    SetStage(1, 7);
    RunPass(2, kPassMinimumTeam);
    Predict(0, 0);
  }
  SetStage(8, 82);
  RunPass(3, kPassMinimumTeam);
  SetStage(90, 10);
  VerifyPredicted();
  SetPass(4);
}

// A new stage counts from its own base, not on from the previous stage's rows,
// so the percentage does not jump ahead and back.
void TCalcGrid::SetStage(int base, int span) {
  FState.NextRow = 0;
  FProgressBase = base;
  FProgressSpan = span;
}

int TCalcGrid::TeamSizeFor(int minimum) const {
  if (FOptions & kOptSingleWorker) return 1;
  return TeamSize(minimum, FFixedTeamSize, FProcessors);
}

// Started once per command, as large as its largest pass: starting threads
// for every pass costs a tenth of a small view's computation.
TWorkerTeam& TCalcGrid::Team() {
  if (!FTeam) {
    FProcessors = AllowedProcessorCount();
    FTeam.emplace(FState, TeamSizeFor(kPassMinimumTeam));
  }
  return *FTeam;
}

void TCalcGrid::RunPass(int nextPass, int minimumTeam) {
  if (FAbort) throw TAbortSignal{};
  TWorkerTeam& team = Team();
  const int count = std::min(TeamSizeFor(minimumTeam), team.Size());
  FPassTeams[FState.Pass] = count;
  FState.NextRow = 0;
  // Posting the pass clears the stop request of the last one.
  team.StartRows(count);
  WaitForWorkers();
  if (FAbort) throw TAbortSignal{};
  SetPass(nextPass);
}

void TCalcGrid::WaitForWorkers() {
  std::unique_lock lock(FState.CountLock);
  while (!FState.DoneEvent.wait_for(lock, kAbortPollInterval,
                                    [this] { return FState.LiveWorkers == 0; }))
    if (FAbort) FTeam->Terminate();
}

// --- Prediction and its repair ---------------------------------------------

// Marks the next pass's dots inside each block of the lattice of the pass
// just finished whose nine surrounding lattice points are all inside. The
// marks never lie on the lattice, so the lattice rows' inside flags are read
// first, three rows at a time; points whose neighbourhood leaves the grid
// (on grids smaller than two spacings) predict nothing.
void TCalcGrid::Predict(int colOffset, int rowOffset) {
  if (FOptions & kOptNoPrediction) return;
  const int spacing = StrideTable[FState.Pass - 1];
  const int width = FState.GridWidth;
  const int height = FState.GridHeight;
  const int latticeCols = colOffset < width ? (width - 1 - colOffset) / spacing + 1 : 0;
  const auto readFlags = [&](int row, std::vector<char>& flags) {
    if (row >= height) return;
    const TDotRowView dots = FState.Row(row);
    for (int j = 0; j < latticeCols; ++j)
      flags[j] = dots.Load(colOffset + j * spacing) >= kInsideThreshold;
  };
  std::vector<char> above(latticeCols), here(latticeCols), below(latticeCols);
  readFlags(rowOffset, here);
  readFlags(rowOffset + spacing, below);
  // Both loops test at their end, so the first row and column are always seen.
  int row = rowOffset + spacing;
  do {
    std::swap(above, here);
    std::swap(here, below);
    readFlags(row + spacing, below);
    const bool rowsInside = row + spacing < height;
    int col = colOffset + spacing;
    int j = 1;
    do {
      if (rowsInside && j + 1 < latticeCols && AllInside(above, j) && AllInside(here, j) &&
          AllInside(below, j))
        MarkPredictedBlock(row, col, spacing);
      col += spacing;
      ++j;
    } while (col < width - spacing);
    row += spacing;
  } while (row < height - spacing);
}

// Marks exactly the next pass's dots of the block to the lower right.
void TCalcGrid::MarkPredictedBlock(int row, int col, int spacing) {
  const int next = spacing / 4;
  for (int k = 0; k < 4; ++k)
    for (int l = 0; l < 4; ++l)
      if (k != 0 || l != 0) FState.StoreAt(row + k * next, col + l * next, kDotPredicted);
}

// Border dots are scanned too (their neighbourhood clipped): a zoom can
// carry a predicted dot onto the border, and it must not survive next to an
// escaped one.
void TCalcGrid::VerifyPredicted() {
  PrecomputeRepairs();
  RepairPredictions(
      FState.Grid.At(0), FState.GridWidth, FState.GridHeight,
      [this](int row, int col) { RepairWindow(row, col); },
      [this](int row) {
        FState.NextRow = row + 1;
        if (FAbort) throw TAbortSignal{};
      });
  FRepairCounts = {};
}

// The scan repairs one window at a time, each after the last, as where the
// next one lies depends on the counts of the last. But the windows around the
// dots that set off a repair before any repair are most of them: their
// predicted dots are computed first, by the team in bands of rows, and the
// scan takes their counts from there. A window set off only by an earlier
// one's escaped dots computes what it misses itself. A count depends on the
// dot's place alone, so the outcome is the scan's on its own.
void TCalcGrid::PrecomputeRepairs() {
  if (!FTeam || std::min(TeamSizeFor(kPassMinimumTeam), FTeam->Size()) < 2 ||
      FState.Limit < kMinPrecomputedRepairLimit)
    return;
  constexpr int kBandRows = 32;
  const int height = FState.GridHeight;
  FRepairCounts = TDotBuffer(FState.Grid.size(), FState.Grid.Wide(), TPages::Small);
  const int bands = (height + kBandRows - 1) / kBandRows;
  FTeam->StartItems(TeamSizeFor(kPassMinimumTeam), bands, [this, height](int band) {
    PrecomputeRepairBand(band * kBandRows, std::min((band + 1) * kBandRows, height) - 1);
  });
  WaitForWorkers();
  FTeam->RethrowItemError();
  if (FAbort) throw TAbortSignal{};
}

// Only this band's rows of the counts are written; the grid is only read.
void TCalcGrid::PrecomputeRepairBand(int firstRow, int lastRow) {
  const int width = FState.GridWidth;
  std::vector<char> wanted(static_cast<std::size_t>(lastRow - firstRow + 1) * width, 0);
  ForEachSetOffDot(FState.Grid.At(0), width, FState.GridHeight, firstRow - kRepairRadius,
                   lastRow + kRepairRadius, [&](int row, int col) {
                     for (int r = std::max(row - kRepairRadius, firstRow);
                          r <= std::min(row + kRepairRadius, lastRow); ++r)
                       for (int c = std::max(col - kRepairRadius, 0);
                            c <= std::min(col + kRepairRadius, width - 1); ++c)
                         wanted[static_cast<std::size_t>(r - firstRow) * width + c] = 1;
                   });
  std::vector<int> cols;
  for (int row = firstRow; row <= lastRow; ++row) {
    cols.clear();
    const char* rowWanted = wanted.data() + static_cast<std::size_t>(row - firstRow) * width;
    for (int col = 0; col < width; ++col)
      if (rowWanted[col] && FState.LoadAt(row, col) == kDotPredicted) cols.push_back(col);
    RepairDots(row, cols.data(), static_cast<int>(cols.size()),
               FRepairCounts.At(static_cast<std::size_t>(row) * width));
  }
}

// Recomputes the predicted dots around (row, col). This path never mirrors,
// so a wrong guess is fixed exactly where it was. Every dot's value depends
// only on its place, and the scan goes on only when the whole window is done,
// so sharing a window's rows over the team changes nothing but the time.
void TCalcGrid::RepairWindow(int row, int col) {
  const int lastRow = std::min(row + kRepairRadius, FState.GridHeight - 1);
  const int lastCol = std::min(col + kRepairRadius, FState.GridWidth - 1);
  const int firstRow = std::max(row - kRepairRadius, 0);
  const int firstCol = std::max(col - kRepairRadius, 0);
  constexpr int kWindowSide = 2 * kRepairRadius + 1;
  std::array<std::array<int, kWindowSide>, kWindowSide> cols;
  std::array<int, kWindowSide> counts{};
  int dots = 0;
  for (int r = firstRow; r <= lastRow; ++r) {
    const int line = r - firstRow;
    for (int c = firstCol; c <= lastCol; ++c) {
      if (FState.LoadAt(r, c) != kDotPredicted) continue;
      const TDot computed =
          FRepairCounts.empty()
              ? kDotUncomputed
              : FRepairCounts.Load(static_cast<std::size_t>(r) * FState.GridWidth + c);
      if (computed != kDotUncomputed)
        FState.StoreAt(r, c, computed);
      else
        cols[line][counts[line]++] = c;
    }
    dots += counts[line];
  }
  const auto repairLine = [&](int line) {
    const int row = firstRow + line;
    RepairDots(row, cols[line].data(), counts[line], FState.Row(row));
  };
  const int lines = lastRow - firstRow + 1;
  if (RepairWorthSharing(dots)) {
    FTeam->StartItems(TeamSizeFor(kPassMinimumTeam), lines, repairLine);
    WaitForWorkers();
    // An abort met by a worker comes back here as the item's error.
    FTeam->RethrowItemError();
    if (FAbort) throw TAbortSignal{};
  } else {
    for (int line = 0; line < lines; ++line)
      repairLine(line);
  }
  // The picture code recolours just these areas after a shown final pass.
  FRepairedAreas.push_back({firstCol, firstRow, lastCol + 1, lastRow + 1});
}

// With the family that draws the view, so that a repaired dot gets the count
// the passes would have given it. An abort is honoured between dots. Runs on
// the grid thread or on a worker; a fault goes into the state under its lock.
void TCalcGrid::RepairDots(int row, const int* cols, int count, TDotRow dots) {
  if (count == 0) return;
  if (FAbort) throw TAbortSignal{};
  const long double y = FState.RowIm(row);
  switch (FState.Kernel) {
    case kKernelExtended:
      for (int i = 0; i < count; ++i) {
        if (FAbort) throw TAbortSignal{};
        dots.Store(cols[i], RepairDot(FState, FState.ColRe[cols[i]], y));
      }
      break;
    case kKernelSingle:
      CalcDotsSSE(FState, dots, cols, count, y);
      break;
    case kKernelDeep:
      CalcDotsDeep(FState, dots, cols, count, row);
      break;
    default:
      CalcDotsSSE2(FState, dots, cols, count, y);
      break;
  }
}

// A team of one gains nothing from the hand-over.
bool TCalcGrid::RepairWorthSharing(int dots) const {
  if (!FTeam || std::min(TeamSizeFor(kPassMinimumTeam), FTeam->Size()) < 2) return false;
  return std::int64_t{dots} * FState.Limit >= kMinSharedRepairIterations;
}

// --- Reuse after scrolls, zooms and limit changes --------------------------

void TCalcGrid::ApplyShift() {
  const TDotBuffer old = FState.Grid.Copy();
  Clear();
  const int width = FState.GridWidth;
  TGridRect src, dst;
  ClipShift(FShiftX, FShiftY, width, FState.GridHeight, src, dst);
  for (int row = src.Top; row < src.Bottom; ++row)
    for (int col = src.Left; col < src.Right; ++col)
      FState.StoreAt(row + FShiftY, col + FShiftX,
                     old.Load(static_cast<std::size_t>(row) * width + col));
  FShiftX = 0;
  FShiftY = 0;
}

// Only the kept dots are copied aside: a quarter of the grid for a zoom by 2.
std::pair<int, int> TCalcGrid::ReuseScaled(float factor) {
  const bool shrink = factor < 1;
  const int n = ScaleDivisor(factor);
  const int width = FState.GridWidth;
  const int height = FState.GridHeight;
  if (width == 0 || height == 0) {
    Clear();
    return {0, 0};
  }
  const int hh = height / 2;
  const int hw = width / 2;
  const int anchorRow = hh + FMagnifyAnchorY;
  const int anchorCol = hw + FMagnifyAnchorX;
  const TScaledSpan rows = ScaledSpan(height, n, anchorRow);
  const TScaledSpan cols = ScaledSpan(width, n, anchorCol);
  // Kept dot (i, j) lies at (rows.Low + i, cols.Low + j) in the smaller
  // picture and at (offset + i * n, offset + j * n) in the larger one.
  const int keptRows = rows.High - rows.Low + 1;
  const int keptCols = cols.High - cols.Low + 1;
  const auto scaledRow = [&](int i) { return anchorRow + (rows.Low + i - anchorRow) * n; };
  const auto scaledCol = [&](int j) { return anchorCol + (cols.Low + j - anchorCol) * n; };
  std::vector<TDot> kept(static_cast<std::size_t>(keptRows) * keptCols);
  for (int i = 0; i < keptRows; ++i)
    for (int j = 0; j < keptCols; ++j)
      kept[static_cast<std::size_t>(i) * keptCols + j] =
          shrink ? FState.LoadAt(scaledRow(i), scaledCol(j))
                 : FState.LoadAt(rows.Low + i, cols.Low + j);
  Clear();
  for (int i = 0; i < keptRows; ++i)
    for (int j = 0; j < keptCols; ++j) {
      const TDot dot = kept[static_cast<std::size_t>(i) * keptCols + j];
      if (shrink)
        FState.StoreAt(rows.Low + i, cols.Low + j, dot);
      else
        FState.StoreAt(scaledRow(i), scaledCol(j), dot);
    }
  FState.StoreAt(hh, hw, kDotUncomputed);
  return {cols.Offset, rows.Offset};
}

void TCalcGrid::ResetUndecided() {
  FState.Grid.Visit([](auto dots) {
    for (auto& dot : dots)
      if (LoadDot(dot) > kInsideThreshold) StoreDot(dot, kDotUncomputed);
  });
}

// --- Reading ---------------------------------------------------------------

int TCalcGrid::GridWidth() const {
  return FState.GridWidth;
}
int TCalcGrid::GridHeight() const {
  return FState.GridHeight;
}
int TCalcGrid::Limit() const {
  return FState.Limit;
}
int TCalcGrid::Pass() const {
  return FState.Pass;
}
int TCalcGrid::AxisRow() const {
  return FState.AxisRow;
}
TFloatExp TCalcGrid::GetStep() const {
  return FState.Step;
}
int TCalcGrid::GetKernel() const {
  return FState.Kernel;
}
int TCalcGrid::SimdLevel() const {
  return FSimdLevel;
}
TCalcCommand TCalcGrid::Command() const {
  return FCommand;
}
int TCalcGrid::PassTeamSize(int pass) const {
  if (pass < 1 || pass > static_cast<int>(FPassTeams.size())) return 0;
  return FPassTeams[pass - 1];
}
std::chrono::nanoseconds TCalcGrid::ReferenceOrbitTime() const {
  return FReferenceTime;
}
long double TCalcGrid::ColRe(int col) const {
  return FState.ColRe[col];
}
long double TCalcGrid::RowIm(int row) const {
  return FState.RowIm(row);
}

// Only the flat index is checked: a column past the row's end reads the next row.
TDot TCalcGrid::GetDot(int row, int col) const {
  const std::int64_t index = std::int64_t{row} * FState.GridWidth + col;
  if (index < 0 || index >= static_cast<std::int64_t>(FState.Grid.size())) return kDotUncomputed;
  return FState.Grid.Load(index);
}

void TCalcGrid::SetDot(int row, int col, TDot value) {
  const std::int64_t index = std::int64_t{row} * FState.GridWidth + col;
  if (index < 0 || index >= static_cast<std::int64_t>(FState.Grid.size())) return;
  FState.Grid.Store(index, value);
}

TDotRowView TCalcGrid::Row(int row) const {
  return FState.Row(row);
}

bool TCalcGrid::WideDots() const {
  return FState.Grid.Wide();
}

int TCalcGrid::RowPass(int row) const {
  if (row < 0 || row >= FState.GridHeight) return 0;
  return FState.LoadRowPass(row);
}

void TCalcGrid::Clear() {
  FState.Grid.Visit([](auto dots) { FillDots(dots.data(), dots.size(), kDotUncomputed); });
  FMinCache = kDotInside;
}

}  // namespace vortexa
