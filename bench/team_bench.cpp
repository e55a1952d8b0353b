// vortexa-team-bench: how the computation scales with the team of workers.
// The seahorse view at 1920 x 1080 is drawn by teams of one, two and the
// machine's processor count in turn, round after round, so every team sees the
// same machine load; two workers should take at most 1 / 1.8 of one worker's
// time. The same draws time the repair of predictions on its own, since the
// view has many repaired dots. Last, what starting a team costs against a
// small command.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "engine/calc_grid.h"
#include "engine/calc_thread.h"
#include "engine/team_size.h"

namespace vortexa::bench {
namespace {

// Processor time of this process's threads of that name, from the
// scheduler's own nanosecond account.
double ThreadsCpuMs(const std::string& name) {
  double ms = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string taskName;
    std::getline(comm, taskName);
    if (taskName != name) continue;
    std::ifstream schedstat(task.path() / "schedstat");
    double runNs = 0;
    schedstat >> runNs;
    ms += runNs / 1e6;
  }
  return ms;
}

struct TTeamTimes {
  explicit TTeamTimes(int size) : Size(size) {}
  int Size;
  std::vector<double> TotalMs, RepairMs, CoresBusy, CpuMs, GridCpuMs;
};

void ScaleWithTheTeam(int rounds) {
  TCalcGrid grid;
  grid.SetSize(1920, 1080);
  grid.SetView(-0.743643887037151L, 0.131825904205330L, 4000, 1e-6L);
  std::vector<TTeamTimes> teams;
  int automaticTeams[3] = {};
  // 0: the team the machine gets without VORTEXA_WORKERS.
  for (const int size : {1, 2, AllowedProcessorCount(), 0})
    if (std::none_of(teams.begin(), teams.end(), [&](const auto& t) { return t.Size == size; }))
      teams.emplace_back(size);
  for (int round = 0; round < rounds; ++round)
    for (TTeamTimes& team : teams) {
      grid.SetFixedTeamSize(team.Size);
      const double cpuStart = ProcessCpuMs();
      const double gridCpuStart = ThreadsCpuMs("CalcGrid");
      const auto start = TClock::now();
      grid.Start(ccDraw);
      grid.WaitPassFor(3, std::chrono::minutes(10));
      const auto repairStart = TClock::now();
      grid.WaitIdle();
      team.TotalMs.push_back(MsSince(start));
      team.RepairMs.push_back(MsSince(repairStart));
      const double cpuMs = ProcessCpuMs() - cpuStart;
      team.CoresBusy.push_back(cpuMs / team.TotalMs.back());
      team.CpuMs.push_back(cpuMs);
      team.GridCpuMs.push_back(ThreadsCpuMs("CalcGrid") - gridCpuStart);
      if (team.Size == 0)
        for (int pass = 1; pass <= 3; ++pass)
          automaticTeams[pass - 1] = grid.PassTeamSize(pass);
    }
  std::printf(
      "seahorse (-0.743643887037151, 0.131825904205330), range 1e-6, limit 4000, "
      "1920x1080, %d rounds, %zu repaired windows; allowed processors %d\n",
      rounds, grid.RepairedAreas().size(), AllowedProcessorCount());
  const TTeamTimes& one = teams.front();
  const int processors = AllowedProcessorCount();
  for (const TTeamTimes& team : teams) {
    // Ratios per round, each against the one-worker draw next to it.
    std::vector<double> speedup, repairSpeedup;
    for (int round = 0; round < rounds; ++round) {
      speedup.push_back(one.TotalMs[round] / team.TotalMs[round]);
      repairSpeedup.push_back(one.RepairMs[round] / team.RepairMs[round]);
    }
    const std::string name = team.Size > 0 ? std::to_string(team.Size) + " worker(s)"
                                           : "automatic " + std::to_string(automaticTeams[0]) +
                                                 "," + std::to_string(automaticTeams[1]) + "," +
                                                 std::to_string(automaticTeams[2]);
    // Whatever the load, the processor time of the draws tells what free
    // cores would give: the grid thread's part runs alone, the workers' part
    // is shared by the team (at most one worker per processor).
    const int sharing = std::min(team.Size > 0 ? team.Size : automaticTeams[2], processors);
    const double freeCoresMs =
        Median(team.GridCpuMs) + (Median(team.CpuMs) - Median(team.GridCpuMs)) / sharing;
    std::printf(
        "  %-16s: draw median %7.1f ms, %.2fx one worker (rounds %.2f..%.2f); repair %6.1f ms, "
        "%.2fx; processor time / wall time %.2f; grid thread %.0f of %.0f processor ms, so on %d "
        "free core(s) about %.2fx\n",
        name.c_str(), Median(team.TotalMs), Median(speedup),
        *std::min_element(speedup.begin(), speedup.end()),
        *std::max_element(speedup.begin(), speedup.end()), Median(team.RepairMs),
        Median(repairSpeedup), Median(team.CoresBusy), Median(team.GridCpuMs), Median(team.CpuMs),
        sharing, Median(one.CpuMs) / freeCoresMs);
  }
}

// A command of a tiny view computes next to nothing: its time is the
// overhead around the passes, the team's start included.
void StartUpCost() {
  constexpr int kRuns = 201;
  std::vector<double> startStop, tinyDraw;
  TCalcState state;
  TCalcGrid grid;
  grid.SetSize(16, 16);
  for (int run = 0; run < kRuns; ++run) {
    auto start = TClock::now();
    { TWorkerTeam team(state, 4); }
    startStop.push_back(MsSince(start) * 1000);
    start = TClock::now();
    grid.Start(ccDraw);
    grid.WaitIdle();
    tinyDraw.push_back(MsSince(start) * 1000);
  }
  std::printf("starting and stopping a team of 4: median %.0f us; a 16x16 draw: median %.0f us\n",
              Median(startStop), Median(tinyDraw));
}

}  // namespace
}  // namespace vortexa::bench

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  if (rounds < 1) {
    std::fprintf(stderr, "usage: vortexa-team-bench [ROUNDS]\n");
    return 2;
  }
  vortexa::bench::ScaleWithTheTeam(rounds);
  vortexa::bench::StartUpCost();
  return 0;
}
