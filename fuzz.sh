#!/usr/bin/env bash
# ./fuzz.sh [SECONDS]: builds the libFuzzer targets with clang and the address
# and undefined-behaviour sanitizers, then runs each for SECONDS (default 60).
# The first crash stops the run; its input is saved in fuzz-out/.
source "$(dirname "$0")/scripts/common.sh"

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: ./fuzz.sh [SECONDS]" >&2
  exit 2
fi

ensure_packages cmake make clang libclang-rt-14-dev
build_preset fuzz

targets=(map_decode)
bin=build/fuzz/tests/fuzz
seeds=build/fuzz/seeds
[ -d "$seeds" ] || "$bin/make_seeds" "$seeds"
mkdir -p fuzz-out

for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== $target: ${seconds}s"
  # New inputs go to the corpus; the seeds stay as they were generated.
  "$bin/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="fuzz-out/$target-" "$corpus" "$seeds/$target" 2> "fuzz-out/$target.log" || {
    tail -n 40 "fuzz-out/$target.log"
    echo "fuzz.sh: $target failed; the input that did it is in fuzz-out/" >&2
    exit 1
  }
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "fuzz-out/$target.log" | sed 's/^/   /'
done
echo "fuzz.sh: every target ran ${seconds}s without a failure"
