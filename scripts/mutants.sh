#!/usr/bin/env bash
# Mutation testing: applies, one at a time, the small faults listed in scripts/mutants.txt
# (a comparison flipped, a bound moved by one, a condition negated, a statement dropped, a
# constant changed), rebuilds only the test programs the mutant names, runs them under a time
# limit and puts the file back. A mutant the tests notice is killed; one they miss survived.
#
#   scripts/mutants.sh [-t SECONDS] [-b BUILD_DIR] [-c CATALOGUE] [-l] [ID_PATTERN...]
#
# ID_PATTERN is a mutant's id or a shell pattern of ids ('vtoc-*'); none runs every mutant.
# -l lists the mutants chosen and checks their snippets without building anything.
# -t sets the time limit of every test program (by default 3 times its unmutated run + 30 s).
#
# Catalogue lines (# starts a comment) have five fields separated by tabs, none empty:
#   id  file[#N]  original  replacement  tests
# The original occurs exactly once in the file, or file#N takes its N-th occurrence;
# tests are test programs, each optionally with a GoogleTest filter: core_tests=Vtoc*:Map*.
# The tree is left exactly as it was, even when the run is interrupted: a trap restores any
# file still mutated. Files with uncommitted changes are refused.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
catalogue=$root/scripts/mutants.txt
build=$root/build/mutants
limit=""  # seconds a test program may run; by default 3 times its unmutated run, plus 30
list_only=0

usage() { sed -n '7,11p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }
while getopts "t:b:c:lh" opt; do
  case $opt in
    t) limit=$OPTARG ;;
    b) build=$OPTARG ;;
    c) catalogue=$OPTARG ;;
    l) list_only=1 ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
patterns=("$@")
[[ ${#patterns[@]} -gt 0 ]] || patterns=("*")
cd "$root"
# The test programs run in their own directories: a relative build path is taken from here.
build=$(realpath -m "$build")

die() { echo "mutants: $*" >&2; exit 2; }

# --- the catalogue -----------------------------------------------------------------------
ids=() files=() occurrences=() originals=() replacements=() tests=()
declare -A seen=()
line_no=0
while IFS= read -r line || [[ -n $line ]]; do
  line_no=$((line_no + 1))
  [[ -z ${line//[[:space:]]/} || $line == \#* ]] && continue
  IFS=$'\t' read -r -a fields <<<"$line"
  [[ ${#fields[@]} -eq 5 ]] || die "$catalogue:$line_no: expected 5 tab-separated fields, got ${#fields[@]}"
  id=${fields[0]}
  [[ -z ${seen[$id]:-} ]] || die "$catalogue:$line_no: id $id repeats line ${seen[$id]}"
  seen[$id]=$line_no
  file=${fields[1]%#*} occurrence=0
  [[ ${fields[1]} == *#* ]] && occurrence=${fields[1]##*#}
  [[ $occurrence =~ ^[0-9]+$ && ( ${fields[1]} != *#* || $occurrence -gt 0 ) ]] || die "$catalogue:$line_no: bad occurrence in ${fields[1]}"
  ids+=("$id") files+=("$file") occurrences+=("$occurrence")
  originals+=("${fields[2]}") replacements+=("${fields[3]}") tests+=("${fields[4]}")
done <"$catalogue"

# count_in TEXT SNIPPET: how many times SNIPPET occurs in TEXT (not overlapping).
count_in() {
  local rest=$1 count=0
  while [[ $rest == *"$2"* ]]; do
    count=$((count + 1))
    rest=${rest#*"$2"}
  done
  echo "$count"
}

# Every snippet of the catalogue must be where it says before anything is changed.
bad=0
for i in "${!ids[@]}"; do
  file=${files[i]}
  if [[ ! -f $file ]]; then
    echo "mutants: ${ids[i]}: no file $file" >&2; bad=1; continue
  fi
  found=$(count_in "$(<"$file")" "${originals[i]}")
  if [[ ${occurrences[i]} -eq 0 && $found -ne 1 ]] ||
     [[ ${occurrences[i]} -gt 0 && $found -lt ${occurrences[i]} ]]; then
    echo "mutants: ${ids[i]}: the snippet occurs $found times in $file: ${originals[i]}" >&2
    bad=1
  fi
done
[[ $bad -eq 0 ]] || die "the catalogue does not match the sources; nothing was changed"

# matches ID PATTERN: the id fits the shell pattern.
# shellcheck disable=SC2053
matches() { [[ $1 == $2 ]]; }
chosen=()
for i in "${!ids[@]}"; do
  for pattern in "${patterns[@]}"; do
    if matches "${ids[i]}" "$pattern"; then chosen+=("$i"); break; fi
  done
done
for pattern in "${patterns[@]}"; do
  matched=0
  for i in "${chosen[@]}"; do matches "${ids[i]}" "$pattern" && matched=1; done
  [[ $matched -eq 1 ]] || die "no mutant matches $pattern"
done

if [[ $list_only -eq 1 ]]; then
  for i in "${chosen[@]}"; do printf '%-28s %s\n' "${ids[i]}" "${files[i]}"; done
  echo "${#chosen[@]} mutants, every snippet found"
  exit 0
fi

for i in "${chosen[@]}"; do
  git diff --quiet HEAD -- "${files[i]}" ||
    die "${files[i]} has uncommitted changes; commit or stash them first"
done

# --- restoring ---------------------------------------------------------------------------
backup_dir=$build/backup
mutated_file=""
running=""
restore() {
  if [[ -n $running ]]; then
    kill -TERM "$running" 2>/dev/null || true
    wait "$running" 2>/dev/null || true
    running=""
  fi
  if [[ -n $mutated_file ]]; then
    # A plain copy gives the file a new time, so the next build recompiles it.
    cp "$backup_dir/original" "$mutated_file"
    mutated_file=""
  fi
}
trap restore EXIT
trap 'restore; echo "mutants: interrupted, the sources are restored" >&2; exit 130' INT TERM

# mutate INDEX: writes the mutant's file with its snippet replaced.
mutate() {
  local i=$1 text prefix="" rest n
  text=$(<"${files[i]}")
  rest=$text
  for ((n = 1; n < occurrences[i]; n++)); do  # 0 (the only one) and 1 skip this
    prefix+=${rest%%"${originals[i]}"*}${originals[i]}
    rest=${rest#*"${originals[i]}"}
  done
  mkdir -p "$backup_dir"
  cp -p "${files[i]}" "$backup_dir/original"
  mutated_file=${files[i]}
  printf '%s\n' "$prefix${rest%%"${originals[i]}"*}${replacements[i]}${rest#*"${originals[i]}"}" \
    >"${files[i]}"
}

# --- building and running ----------------------------------------------------------------
mkdir -p "$build"
log=$build/mutants.log
: >"$log"
if [[ ! -f $build/build.ninja ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAGAT_BUILD_BENCH=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >>"$log"
fi

programs_of() { local t; for t in ${tests[$1]}; do echo "${t%%=*}"; done; }

# run_tests INDEX: 0 when every test passes, 124 on the time limit, 1 otherwise.
declare -A limits=()
run_tests() {
  local t program filter binary status started
  for t in ${tests[$1]}; do
    program=${t%%=*} filter="*"
    [[ $t == *=* ]] && filter=${t#*=}
    binary=$(find "$build/tests" -maxdepth 2 -type f -name "$program" | head -n 1)
    [[ -n $binary ]] || die "no test program $program in $build/tests"
    # In the background, so that an interruption reaches the trap at once; timeout makes
    # the test its own process group and ends the whole group, the programs it runs too.
    started=$SECONDS
    (cd "$(dirname "$binary")" &&
      exec timeout -k 10 "${limits[$t]:-${limit:-3600}}" "$binary" --gtest_brief=1 --gtest_fail_fast=1 --gtest_filter="$filter") \
      >>"$log" 2>&1 &
    running=$!
    status=0
    wait "$running" 2>/dev/null || status=$?  # a crash is a kill, not news
    running=""
    [[ -n ${limits[$t]:-} ]] || limits[$t]=${limit:-$((3 * (SECONDS - started) + 30))}
    [[ $status -eq 0 ]] && continue
    [[ $status -eq 124 || $status -eq 137 ]] && return 124
    return 1
  done
  return 0
}

# The tests must pass on the sources as they are, or every mutant would look killed.
mapfile -t all_programs < <(for i in "${chosen[@]}"; do programs_of "$i"; done | sort -u)
echo "building ${all_programs[*]} in $build"
ninja -C "$build" "${all_programs[@]}" >>"$log" 2>&1 || die "the unmutated build fails, see $log"
declare -A baseline_done=()
for i in "${chosen[@]}"; do
  key=${tests[i]}
  [[ -n ${baseline_done[$key]:-} ]] && continue
  baseline_done[$key]=1
  run_tests "$i" || die "the tests ${tests[i]} fail without any mutant, see $log"
done

killed=0 survived=0 timed_out=0 build_failed=0 survivors=()
for i in "${chosen[@]}"; do
  started=$SECONDS
  echo "=== ${ids[i]}: ${files[i]}: ${originals[i]} -> ${replacements[i]}" >>"$log"
  mutate "$i"
  # shellcheck disable=SC2046
  if ! ninja -C "$build" $(programs_of "$i") >>"$log" 2>&1; then
    result="build failed"; build_failed=$((build_failed + 1))
  else
    status=0
    run_tests "$i" || status=$?
    case $status in
      0) result="survived"; survived=$((survived + 1)); survivors+=("${ids[i]}") ;;
      124) result="timed out"; timed_out=$((timed_out + 1)) ;;
      *) result="killed"; killed=$((killed + 1)) ;;
    esac
  fi
  restore
  printf '%-28s %-12s %4ds\n' "${ids[i]}" "$result" $((SECONDS - started))
done

total=${#chosen[@]}
detected=$((killed + timed_out + build_failed))
echo "killed $detected of $total (tests $killed, timed out $timed_out, build failed $build_failed), survived $survived"
[[ $survived -eq 0 ]] || echo "survivors: ${survivors[*]}"
git diff --quiet -- "${files[@]}" || die "the sources differ from before the run"
