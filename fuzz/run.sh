#!/usr/bin/env bash
# Builds the libFuzzer targets (the `fuzz` preset, clang) and runs each named
# target for SECONDS on a working copy of its seed corpus.
#
#   bash fuzz/run.sh TARGET... SECONDS      TARGET: list, verify, extract, update, history,
#                                           registry, command_line, or all
#
# The working copies, the inputs the fuzzer finds and any crash file live in
# fuzz/corpus-work/ (git-ignored), with each target's log, TARGET.log;
# fuzz/corpus/ is never written. FUZZ_PARALLEL=1 runs the targets at the same
# time. SKARVEL_FUZZ_BUILD_DIR chooses the build folder
# (default build/fuzz, the preset's). Exit status 0 only when no target found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: bash fuzz/run.sh TARGET... SECONDS   (TARGET: list verify extract update registry command_line history all)" >&2
  exit 2
}
[ $# -ge 2 ] || usage
seconds=${*: -1}
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || usage
targets=()
for word in "${@:1:$#-1}"; do
  case "$word" in
    all) targets+=(list verify extract update registry command_line history) ;;
    list|verify|extract|update|registry|command_line|history) targets+=("$word") ;;
    *) usage ;;
  esac
done

build_dir=${SKARVEL_FUZZ_BUILD_DIR:-build/fuzz}
cmake --preset fuzz -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

# Recoverable undefined behaviour must stop the run too, or the fuzzer would
# step over it.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1

run_target() {
  local target=$1
  local work=fuzz/corpus-work/$target
  mkdir -p "$work" "fuzz/corpus-work/$target-crashes"
  cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="fuzz/corpus-work/$target-crashes/" "$work"
}

status=0
if [ "${FUZZ_PARALLEL:-0}" = 1 ]; then
  pids=()
  for target in "${targets[@]}"; do
    mkdir -p fuzz/corpus-work
    run_target "$target" >"fuzz/corpus-work/$target.log" 2>&1 &
    pids+=($!)
  done
  for i in "${!pids[@]}"; do
    if ! wait "${pids[$i]}"; then
      echo "fuzz_${targets[$i]} found a fault: see fuzz/corpus-work/${targets[$i]}.log" >&2
      status=1
    fi
  done
else
  # The fuzzer's own output goes to a log; the run shows one line per target and,
  # when a target finds a fault, the end of its log.
  mkdir -p fuzz/corpus-work
  for target in "${targets[@]}"; do
    log=fuzz/corpus-work/$target.log
    if run_target "$target" >"$log" 2>&1; then
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
      echo "fuzz_$target: ${runs:-?} runs in $seconds s, no fault"
    else
      tail -n 60 "$log" >&2
      echo "fuzz_$target found a fault: see $log" >&2
      status=1
    fi
  done
fi
exit $status
