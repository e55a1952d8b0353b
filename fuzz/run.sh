#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) into build-fuzz/ and runs each for SECONDS,
# starting from the seeds of fuzz/seeds/ and the shipped favourites.
#   fuzz/run.sh SECONDS [HARNESS...]      e.g. fuzz/run.sh 180 formula_fuzzer
# Findings are kept as build-fuzz/findings/HARNESS-crash-*; the script exits 1
# when there is any.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh SECONDS [HARNESS...]" >&2
  exit 2
fi
seconds=$1
shift
harnesses=("$@")
[[ ${#harnesses[@]} -gt 0 ]] || harnesses=(reproduction_text_fuzzer favorites_file_fuzzer
                                           ini_file_fuzzer formula_fuzzer render_options_fuzzer
                                           paste_text_fuzzer settings_file_fuzzer fav_dialog_fuzzer)

scripts/install-deps.sh --fuzz
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link -DVORTEXA_SANITIZE=address,undefined \
  -DVORTEXA_BUILD_FUZZERS=ON -DVORTEXA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target "${harnesses[@]}"

# Seeds: the hand-made ones, the shipped file, and each of its views as a
# reproduction text.
seed_folder() {
  local harness=$1 corpus=$build/corpus/$1
  mkdir -p "$corpus"
  cp fuzz/seeds/"${harness%_fuzzer}"/* "$corpus"/
  case $harness in
    favorites_file_fuzzer | ini_file_fuzzer | fav_dialog_fuzzer)
      cp data/osusume.fav "$corpus"/osusume.fav
      ;;
    reproduction_text_fuzzer | paste_text_fuzzer)
      grep -E '^[0-9]+=' data/osusume.fav | while IFS= read -r line; do
        printf '%s' "${line#*=}" >"$corpus/osusume-${line%%=*}"
      done
      ;;
  esac
  echo "$corpus"
}

# The file harnesses write a file per input: keep that in memory when we can.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
mkdir -p "$build/findings"
failed=0
for harness in "${harnesses[@]}"; do
  corpus=$(seed_folder "$harness")
  log=$build/findings/$harness.log
  echo "== $harness, ${seconds} s"
  if "$build/fuzz/$harness" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/findings/$harness-" "$corpus" >"$log" 2>&1; then
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$')
    echo "   $runs inputs, no finding"
  else
    failed=1
    echo "   FINDING: see $log and $build/findings/$harness-*"
    grep -E 'ERROR|round trip broken|runtime error|terminate' "$log" | head -5 || true
  fi
done
exit $failed
