#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with Clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, makes their seed corpora from the sample images,
# and runs every target (or those named) for SECONDS each, two at a time:
#   fuzz.sh [SECONDS] [TARGET...] [TARGET=SECONDS...]
#                      new inputs are kept in build/fuzz/corpus/TARGET (default 60 seconds);
#                      TARGET=SECONDS gives one target a time of its own, in the order named
#                      (fuzz.sh 300 image_load=1800: every target 5 minutes, image_load 30)
#   fuzz.sh --smoke    3 seconds each on the seeds and the regression inputs only
#                      (tests/fuzz/TARGET), keeping nothing: the test command
# Each run reports executions, edges covered and findings; a crash, a hang (over 5 s for one
# input, 15 in the smoke run), a sanitizer report or a failed invariant leaves its input in
# build/fuzz/findings and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=false
seconds=60
if [ "${1:-}" = "--smoke" ]; then
  smoke=true
  seconds=3
  shift
elif [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DAGAT_FUZZ=ON -DAGAT_WERROR=ON >/dev/null
mkdir -p "$build"
cmake --build "$build" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }

rm -rf "$build/samples" "$build/seeds"
"$build/tools/make_samples/make_samples" "$build/samples" >/dev/null
"$build/fuzz/make_seeds" "$build/samples" "$build/seeds" >/dev/null

all=(image_load image_ops sector_map track_nib140 track_nib800 track_aim800 container_hfe container_mfi
     container_mfi140
     woz_file basic_listing text_views binary_listing pictures file_compare info_page)
targets=()
declare -A own_time
for arg in "$@"; do
  if [[ "$arg" == *=* ]]; then
    own_time[${arg%%=*}]=${arg#*=}
    targets+=("${arg%%=*}")
  else
    targets+=("$arg")
  fi
done
# Times of their own alone do not narrow the set: the others follow with SECONDS.
only_times=true
for arg in "$@"; do [[ "$arg" == *=* ]] || only_times=false; done
if [ ${#targets[@]} -eq 0 ] || $only_times; then
  for target in "${all[@]}"; do
    [[ " ${targets[*]} " == *" $target "* ]] || targets+=("$target")
  done
fi
mkdir -p "$build/logs" "$build/findings"

# Runs one target for the seconds given; its log holds libFuzzer's report.
run() {
  local target=$1 seconds=$2 corpus
  if $smoke; then
    corpus=$(mktemp -d)
  else
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
  fi
  local dirs=("$corpus" "$build/seeds/$target")
  [ -d "tests/fuzz/$target" ] && dirs+=("tests/fuzz/$target")
  local status=0
  # An input that runs for 5 seconds has hung: a whole 800 KB bit-stream image, every cell of
  # its 160 tracks encoded and decoded under the sanitizers and coverage, takes about one.
  # The smoke run gives 15: it runs in CI beside other work, where a second can take three.
  local timeout=5
  $smoke && timeout=15
  nice "$build/fuzz/$target" -max_total_time="$seconds" -timeout=$timeout -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/findings/$target-" "${dirs[@]}" \
    >"$build/logs/$target.log" 2>&1 || status=$?
  $smoke && rm -rf "$corpus"
  return $status
}
export -f run
export build smoke

failed=0
for target in "${targets[@]}"; do
  echo "$target ${own_time[$target]:-$seconds}"
done | xargs -P 2 -L 1 bash -c 'run "$0" "$1"' || failed=1

printf '%-16s %14s %8s  %s\n' target executions edges findings
for target in "${targets[@]}"; do
  log="$build/logs/$target.log"
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || true)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
  findings=$(grep -c -E '^==[0-9]+==ERROR|^ALARM|invariant failed|runtime error' "$log" || true)
  printf '%-16s %14s %8s  %s\n' "$target" "${runs:-?}" "${edges:-?}" "$findings"
done
if [ $failed -ne 0 ]; then
  echo "fuzz.sh: a target failed; its input is in $build/findings, its report in $build/logs" >&2
  # The report's end says what failed and where, for a run whose folder is gone afterwards.
  for target in "${targets[@]}"; do
    log="$build/logs/$target.log"
    if grep -q -E '^==[0-9]+==ERROR|^ALARM|invariant failed|runtime error' "$log"; then
      echo "--- $log" >&2
      grep -v -E '^#[0-9]+ ' "$log" | grep -B2 -A25 -m1 -E '^==[0-9]+==ERROR|^ALARM|invariant failed|runtime error' >&2 || true
    fi
  done
  exit 1
fi
