// vortexa-process-bench: the whole vortexa-render process against the
// computation it prints, and against XaoS's batch renderer on the same view.
// Each round starts every program once, one after the other, so that all see
// the same machine load; the figures are medians over the rounds.
//
//   vortexa-process-bench [ROUNDS [EARLIER-VORTEXA-RENDER]]
//
// An earlier build of vortexa-render, when given, runs in the same rounds
// for a before-and-after comparison of the whole process (it need not know
// --timings).
//
// Needs no display. XaoS (`apt-get install xaos`) is only compared when it is
// on the PATH; it is never a dependency of the program.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_clock.h"

extern char** environ;

namespace vortexa::bench {
namespace {

namespace fs = std::filesystem;

struct TProcessRun {
  double WallMs = 0;
  double SpawnedAtMs = 0;  // monotonic clock, as the child's --timings line has it
  double EndedAtMs = 0;
  long Faults = 0;
  double ProcessorMs = 0;  // user and system time of all its threads
  std::string Out;
  std::string Err;
};

double MonotonicMs(TClock::time_point t) {
  return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count();
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the program with its output in files of `dir`; throws when it fails.
TProcessRun RunProcess(const std::vector<std::string>& args, const fs::path& dir) {
  const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  TProcessRun run;
  pid_t pid = 0;
  const auto start = TClock::now();
  const int error = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (error != 0) throw std::runtime_error("cannot start " + args[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = TClock::now();
  run.WallMs = std::chrono::duration<double, std::milli>(end - start).count();
  run.SpawnedAtMs = MonotonicMs(start);
  run.EndedAtMs = MonotonicMs(end);
  run.Faults = usage.ru_minflt + usage.ru_majflt;
  run.ProcessorMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  run.Out = ReadFile(out);
  run.Err = ReadFile(err);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(args[0] + " failed: " + run.Err);
  return run;
}

double Number(const std::string& text, const std::string& key) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex(key + "=([0-9.]+)")))
    throw std::runtime_error("no " + key + " in: " + text);
  return std::stod(match[1]);
}

// The stages of one vortexa-render run, start-up and exit measured from outside.
std::map<std::string, double> Stages(const TProcessRun& run) {
  std::map<std::string, double> stages;
  const std::regex lap(R"(([a-z-]+)=([0-9.]+)ms/(\d+)flt)");
  for (std::sregex_iterator it(run.Err.begin(), run.Err.end(), lap), end; it != end; ++it) {
    stages[(*it)[1]] = std::stod((*it)[2]);
    stages[std::string((*it)[1]) + " faults"] = std::stod((*it)[3]);
  }
  stages["start-up"] = Number(run.Err, "main-start") - run.SpawnedAtMs;
  stages["start-up faults"] = Number(run.Err, "start-up-faults");
  stages["exit"] = run.EndedAtMs - Number(run.Err, "main-end");
  stages["computation printed"] = Number(run.Out, "ms");
  stages["whole process"] = run.WallMs;
  stages["whole process faults"] = static_cast<double>(run.Faults);
  stages["processor time"] = run.ProcessorMs;
  return stages;
}

struct TView {
  const char* Name;
  std::vector<std::string> Args;
  const char* XaosView;  // centre and the plane's width and height, or null
};

const std::vector<TView> kViews = {
    {"home (0, 0), range 2, limit 1000", {"--limit", "1000"}, "0 0 7.111111111111111 4"},
    {"seahorse valley, range 1e-6, limit 4000",
     {"--center", "-0.743643887037151,0.131825904205330", "--range", "1e-6", "--limit", "4000"},
     nullptr},
};

constexpr const char* kStageOrder[] = {"start-up",    "allocation",   "computation", "statistics",
                                       "composition", "encoding",     "write",       "teardown",
                                       "exit",        "whole process"};

// The median of the per-round ratios of the others' wall times to ours.
double MedianRatio(const std::vector<TProcessRun>& others,
                   const std::vector<std::map<std::string, double>>& runs) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < others.size(); ++i)
    ratios.push_back(others[i].WallMs / runs[i].at("whole process"));
  return Median(ratios);
}

template <typename Field>
double MedianOf(const std::vector<TProcessRun>& runs, Field field) {
  std::vector<double> values;
  for (const TProcessRun& run : runs)
    values.push_back(static_cast<double>(run.*field));
  return Median(values);
}

struct TOthers {
  std::vector<TProcessRun> Xaos;
  std::vector<TProcessRun> Earlier;
};

void Report(const TView& view, const std::vector<std::map<std::string, double>>& runs,
            const TOthers& others) {
  const auto median = [&](const std::string& key) {
    std::vector<double> values;
    for (const auto& run : runs)
      values.push_back(run.at(key));
    return Median(values);
  };
  std::printf("\n%s, 1920x1080, PNG: medians of %zu runs\n", view.Name, runs.size());
  std::printf("  %-22s %9s %7s\n", "stage", "ms", "faults");
  for (const char* stage : kStageOrder) {
    const std::string faults = std::string(stage) + " faults";
    if (runs.front().count(faults))
      std::printf("  %-22s %9.2f %7.0f\n", stage, median(stage), median(faults));
    else
      std::printf("  %-22s %9.2f\n", stage, median(stage));
  }
  std::vector<double> ratios;
  for (const auto& run : runs)
    ratios.push_back(run.at("whole process") / std::max(run.at("computation printed"), 1.0));
  std::printf("  whole process / computation printed: median %.2f (computation %.0f ms)\n",
              Median(ratios), median("computation printed"));
  std::printf("  processor time of vortexa-render: median %.1f ms\n", median("processor time"));
  if (!others.Earlier.empty())
    std::printf(
        "  earlier vortexa-render: median %.1f ms, %.0f faults, processor %.1f ms; %.2f times "
        "this one's time (median of per-round ratios)\n",
        MedianOf(others.Earlier, &TProcessRun::WallMs),
        MedianOf(others.Earlier, &TProcessRun::Faults),
        MedianOf(others.Earlier, &TProcessRun::ProcessorMs), MedianRatio(others.Earlier, runs));
  if (!others.Xaos.empty())
    std::printf(
        "  xaos -render, same view, size and limit: median %.1f ms, processor %.1f ms; %.2f "
        "times the time of vortexa-render (median of per-round ratios)\n",
        MedianOf(others.Xaos, &TProcessRun::WallMs),
        MedianOf(others.Xaos, &TProcessRun::ProcessorMs), MedianRatio(others.Xaos, runs));
}

fs::path XaosScript(const fs::path& dir, const TView& view) {
  const fs::path script = dir / "view.xaf";
  std::ofstream(script) << "(initstate)\n(maxiter " << view.Args.back() << ")\n(view "
                        << view.XaosView << ")\n";
  return script;
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
  return false;
}

int Main(int rounds, const std::string& earlier) {
  const fs::path dir =
      fs::temp_directory_path() / ("vortexa-process-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  // XaoS is a Qt program: no display here, and a private runtime folder.
  const fs::path runtime = dir / "runtime";
  fs::create_directories(runtime);
  chmod(runtime.c_str(), 0700);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  const bool xaos = OnPath("xaos");
  if (!xaos) std::printf("xaos not found: no comparison (apt-get install xaos)\n");
  for (const TView& view : kViews) {
    std::vector<std::string> render = {
        VORTEXA_RENDER_PATH, "--size", "1920x1080",
        "--timings",         "-o",     (dir / "vortexa.png").string()};
    render.insert(render.end(), view.Args.begin(), view.Args.end());
    const bool compare = xaos && view.XaosView;
    const std::vector<std::string> xaosArgs = {"xaos",
                                               "-render",
                                               compare ? XaosScript(dir, view).string() : "",
                                               "-size",
                                               "1920x1080",
                                               "-basename",
                                               (dir / "xaos").string()};
    std::vector<std::string> earlierArgs = render;
    earlierArgs[0] = earlier;
    earlierArgs.erase(earlierArgs.begin() + 3);  // --timings
    std::vector<std::map<std::string, double>> runs;
    TOthers others;
    RunProcess(render, dir);  // warms the file cache
    for (int round = 0; round < rounds; ++round) {
      runs.push_back(Stages(RunProcess(render, dir)));
      if (!earlier.empty()) others.Earlier.push_back(RunProcess(earlierArgs, dir));
      if (compare) others.Xaos.push_back(RunProcess(xaosArgs, dir));
    }
    Report(view, runs, others);
  }
  fs::remove_all(dir);
  return 0;
}

}  // namespace
}  // namespace vortexa::bench

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
  try {
    return vortexa::bench::Main(std::max(rounds, 1), argc > 2 ? argv[2] : "");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vortexa-process-bench: %s\n", error.what());
    return 1;
  }
}
