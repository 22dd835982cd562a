#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for FUZZ_SECONDS seconds (30 by
# default), starting from the seeds in fuzz/corpus/<target>/. Inputs found to
# break a target are saved in build-fuzz/artifacts/ and fail the run.
#   bash scripts/fuzz.sh                    every target, 30 s each
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh fuzz_profile
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
packages=(clang libclang-rt-14-dev)
bash "$root/scripts/install-packages.sh" "${packages[@]}"

build="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-30}
start=$(date +%s)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DKAVROLIS_FUZZ=ON -DKAVROLIS_TESTS=OFF -DKAVROLIS_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target fuzzers

targets=("$@")
if ((${#targets[@]} == 0)); then
  for seeds in "$root"/fuzz/corpus/*/; do
    targets+=("$(basename "$seeds")")
  done
fi
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  # New inputs go to the build's own corpus; the repository's seeds stay as they are.
  mkdir -p "$build/corpus/$target"
  echo "== $target: $seconds s"
  log="$build/artifacts/$target.log"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" \
    "$build/corpus/$target" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    grep -v NEW_FUNC "$log" | tail -n 60
    echo "$target failed; the input that broke it is in $build/artifacts/"
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log"
done
echo "Fuzzing took $(($(date +%s) - start)) s (${#targets[@]} targets, $seconds s each)"
