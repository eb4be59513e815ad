#!/usr/bin/env bash
# Fuzzes the archive directory reader for a bounded time: builds the libFuzzer
# target with clang, AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz/, makes the seed corpus from real archivers, and runs.
#
# FUZZ_TARGET picks the target: list_fuzzer (default; the component's List on a
# file) or format_fuzzer (the zip format core alone, in memory).
#
# Exits non-zero on any finding (crash, sanitizer report, leak, timeout, memory
# limit); the reproducer is then in build-fuzz/fuzz-findings/, and
#   build-fuzz/bin/$FUZZ_TARGET build-fuzz/fuzz-findings/<file>
# replays it with the stack.
#
# FUZZ_SECONDS (default 60) sets the running time, FUZZ_BUILD_DIR (default
# build-fuzz) the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
target=${FUZZ_TARGET:-list_fuzzer}
build=${FUZZ_BUILD_DIR:-build-fuzz}
seeds=$build/fuzz-seeds
# What the fuzzer found worth keeping; grows across runs, one folder a target.
corpus=$build/fuzz-corpus
if [ "$target" != list_fuzzer ]; then
  corpus=$corpus-$target
fi
findings=$build/fuzz-findings
scratch=$build/fuzz-scratch  # the fuzzer's temporary folder: whatever it leaves stays in here
log=$build/fuzz.log

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZIPBUILDER_FUZZ=ON >/dev/null
cmake --build "$build" --target "$target" --parallel "$(nproc)"

rm -rf "$seeds"
tests/fuzz/make_seed_corpus.sh "$seeds"
rm -rf "$scratch"
mkdir -p "$corpus" "$findings" "$scratch"

echo "Fuzzing with $target for $seconds s (log: $log)"
status=0
TMP=$(cd "$scratch" && pwd) "$build/bin/$target" "$corpus" "$seeds" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
  -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ]; then
  tail -n 80 "$log"
  echo "$target found a problem (exit $status); reproducer in $findings/" >&2
  exit "$status"
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
