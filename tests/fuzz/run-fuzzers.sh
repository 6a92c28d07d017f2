#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one in turn (never two
# at once: the machines are shared) for SECONDS seconds on a copy of its seed
# corpus. First every saved regression input is run once. Fails on any crash,
# sanitizer report, broken invariant, timeout or memory blow-up.
#
#   tests/fuzz/run-fuzzers.sh [SECONDS]        (default 60)
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_WORK_DIR (default
# fuzz-corpus-work), both relative to the repository root.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
fuzz_dir="$root/tests/fuzz"
build="$root/${FUZZ_BUILD_DIR:-build-fuzz}"
work="$root/${FUZZ_WORK_DIR:-fuzz-corpus-work}"

rm -rf "$work"
mkdir -p "$work/artifacts"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DIMSET_FUZZ=ON -DIMSET_BUILD_TESTS=OFF -DIMSET_BUILD_RAYS=OFF >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$build" -j2 --target fuzz_vector_file fuzz_extreme_points fuzz_whole_run fuzz_query_reader >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; exit 1; }

# target:max_len. The whole run holds two files, so it gets more room.
targets=(vector_file:4096 extreme_points:4096 whole_run:8192 query_reader:4096)

status=0

# Each target writes its input to /dev/shm (or /tmp) under its process id;
# those files are removed once it has ended, whichever way it ended.
run_target() {
  local log=$1
  shift
  local rc=0
  "$@" >"$log" 2>&1 &
  local pid=$!
  wait "$pid" || rc=$?
  rm -f /dev/shm/imset-fuzz-"$pid"-* /tmp/imset-fuzz-"$pid"-*
  return "$rc"
}

for entry in "${targets[@]}"; do
  name=${entry%%:*}
  max_len=${entry##*:}
  binary="$build/tests/fuzz/fuzz_$name"
  regressions="$fuzz_dir/regressions/$name"
  if [[ -d $regressions ]] && compgen -G "$regressions/*" >/dev/null; then
    if run_target "$work/$name.regressions.log" "$binary" "$regressions"/*; then
      echo "fuzz_$name: $(find "$regressions" -type f | wc -l) regression inputs pass"
    else
      echo "fuzz_$name: a regression input fails again:" >&2
      tail -n 40 "$work/$name.regressions.log" >&2
      status=1
    fi
  fi

  corpus="$work/corpus/$name"
  mkdir -p "$corpus"
  cp "$fuzz_dir/corpus/$name"/* "$corpus"/
  rc=0
  run_target "$work/$name.log" "$binary" "$corpus" -dict="$fuzz_dir/imset.dict" -max_len="$max_len" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/$name-" || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
  per_second=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$name.log")
  files=$(find "$corpus" -type f | wc -l)
  bytes=$(du -sb "$corpus" | cut -f1)
  echo "fuzz_$name: ${seconds}s, ${execs:-?} runs, ${per_second:-?} exec/s, corpus $files files / $bytes bytes"
  if ((rc != 0)) || compgen -G "$work/artifacts/$name-*" >/dev/null; then
    echo "fuzz_$name: FINDING (exit $rc); log $work/$name.log, inputs:" >&2
    ls "$work/artifacts/$name-"* >&2 2>/dev/null || true
    grep -m1 -A30 -E '^==[0-9]+==|runtime error|deadly signal|ERROR: libFuzzer' "$work/$name.log" >&2 || tail -n 30 "$work/$name.log" >&2
    status=1
  fi
done

exit "$status"
