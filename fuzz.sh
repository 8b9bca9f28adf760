#!/usr/bin/env bash
# ./fuzz.sh [SECONDS]: builds the map-decoding fuzzer with clang and the
# address and undefined-behaviour sanitizers, then runs it for SECONDS
# (default 60). A failure stops the run; its input is saved in fuzz-out/.
source "$(dirname "$0")/scripts/common.sh"

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: ./fuzz.sh [SECONDS]" >&2
  exit 2
fi

ensure_packages cmake make clang
# libFuzzer's runtime is packaged with each clang version's compiler-rt: take
# the one of the clang++ that the fuzz preset builds with.
clang_version=$(clang++ -dumpversion)
clang_major=${clang_version%%.*}
[[ $clang_major =~ ^[0-9]+$ ]] || {
  echo "fuzz.sh: cannot tell the major version of clang++ from \"$clang_version\"" >&2
  exit 1
}
ensure_packages "libclang-rt-$clang_major-dev"
build_preset fuzz

build=$(build_dir fuzz)
corpus=$build/corpus/map_decode
mkdir -p "$corpus" fuzz-out
echo "== map_decode: ${seconds}s"
# Inputs as long as a whole map and the three bytes that choose the selection,
# grown from nothing from the start; what it finds is kept for the next run.
"$build/tests/fuzz/map_decode_fuzz" -max_total_time="$seconds" -max_len=12613 -len_control=0 \
  -print_final_stats=1 -artifact_prefix=fuzz-out/map_decode- "$corpus" 2> fuzz-out/map_decode.log || {
  tail -n 40 fuzz-out/map_decode.log
  echo "fuzz.sh: map decoding failed; the input that did it is in fuzz-out/" >&2
  exit 1
}
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' fuzz-out/map_decode.log | sed 's/^/   /'
echo "fuzz.sh: map decoding ran ${seconds}s without a failure"
