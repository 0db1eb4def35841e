#!/usr/bin/env bash
# Long fuzzing. Builds the fuzz targets (build-fuzz, clang) and runs each for the given number of
# seconds (default 600), two at a time at low priority, on a copy of its corpus: the hand-made
# seeds and what earlier runs kept in tests/data/fuzz/<target>/. Then prints, per target, the
# executions per second, the coverage (libFuzzer's cov: edges, ft: features) and what it found.
#
#   scripts/fuzz.sh [seconds] [--merge | --merge-only] [target...]
#
# --merge       minimises the run's corpus with libFuzzer's -merge=1 into tests/data/fuzz/<target>/:
#               afterwards that folder holds just the inputs that reach something the seeds do not.
# --merge-only  does that for the corpora the last runs left, without fuzzing again.
# FUZZ_JOBS sets how many targets run at once (default 2).
#
# Each run's log, corpus and any crashing input are in build-fuzz/fuzz-runs/<target>/; the
# summary is in build-fuzz/fuzz-runs/summary.txt. The status is 1 when a target failed.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=600
merge=false
fuzz_again=true
targets=()
for argument in "$@"; do
  case "$argument" in
    --merge) merge=true ;;
    --merge-only)
      merge=true
      fuzz_again=false
      ;;
    -h | --help)
      sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *[!0-9]*) targets+=("$argument") ;;
    *) seconds=$argument ;;
  esac
done
jobs=${FUZZ_JOBS:-2}

export CCACHE_DIR=${CCACHE_DIR:-/work/.ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work}
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVLZ_FUZZ=ON \
  >/dev/null || exit 1
nice -n 10 cmake --build build-fuzz -j "$jobs" >/dev/null || exit 1

if [ ${#targets[@]} -eq 0 ]; then
  for manifest in build-fuzz/fuzz-targets/*.txt; do
    targets+=("$(basename "$manifest" .txt)")
  done
fi
runs=$PWD/build-fuzz/fuzz-runs
mkdir -p "$runs"

# manifest_values <target> <key>: the values of one key of the target's manifest, one a line.
manifest_values() {
  local manifest=build-fuzz/fuzz-targets/$1.txt
  [ -f "$manifest" ] || {
    echo "no fuzz target $1 (see build-fuzz/fuzz-targets/)" >&2
    return 1
  }
  sed -n "s/^$2=//p" "$manifest"
}

# fuzz <target>: one long run, its output in build-fuzz/fuzz-runs/<target>/.
fuzz() {
  local target=$1 fuzzer corpus dictionary folder
  fuzzer=$(manifest_values "$target" fuzzer) || return 1
  corpus=$(manifest_values "$target" corpus)
  dictionary=$(manifest_values "$target" dictionary)
  local run=$runs/$target
  rm -rf "$run"
  mkdir -p "$run/corpus"
  while read -r folder; do
    [ -d "$folder" ] && cp -r "$folder/." "$run/corpus/"
  done < <(manifest_values "$target" seeds; echo "$corpus")
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix="$run/")
  [ -n "$dictionary" ] && options+=(-dict="$dictionary")
  nice -n 10 "$fuzzer" "${options[@]}" "$run/corpus" >"$run/log" 2>&1
  echo $? >"$run/status"
}

# minimise <target>: the run's corpus, less what the seeds already reach, becomes the kept corpus.
minimise() {
  local target=$1 fuzzer corpus folder
  fuzzer=$(manifest_values "$target" fuzzer) || return 1
  corpus=$(manifest_values "$target" corpus)
  local merged=$runs/$target/merged
  rm -rf "$merged"
  mkdir -p "$merged"
  # Inputs already in the first folder count as covered, so only what adds to them is taken;
  # the seeds' own copies are removed again afterwards.
  while read -r folder; do
    [ -d "$folder" ] && cp -r "$folder/." "$merged/"
  done < <(manifest_values "$target" seeds)
  local seeded
  seeded=$(ls -A "$merged")
  mkdir -p "$corpus"
  nice -n 10 "$fuzzer" -merge=1 -timeout=10 -rss_limit_mb=2048 "$merged" "$corpus" \
    "$runs/$target/corpus" >"$runs/$target/merge.log" 2>&1 || {
    echo "$target: merge failed, see $runs/$target/merge.log" >&2
    return 1
  }
  (cd "$merged" && printf '%s\n' "$seeded" | xargs -r -d '\n' rm -f --)
  find "$corpus" -mindepth 1 -delete
  cp -r "$merged/." "$corpus/"
}

if $fuzz_again; then
  echo "Fuzzing ${#targets[@]} targets for $seconds s each, $jobs at a time (load: $(cut -d' ' -f1-3 /proc/loadavg))"
  running=0
  for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
      wait -n
      running=$((running - 1))
    fi
    fuzz "$target" &
    running=$((running + 1))
  done
  wait
fi

status=0
{
  printf '%-30s %9s %7s %7s %7s %6s  %s\n' target execs/s cov ft corpus rss result
  for target in "${targets[@]}"; do
    log=$runs/$target/log
    [ -f "$log" ] || continue
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
    last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    units=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$last")
    result=ok
    if [ "$(cat "$runs/$target/status" 2>/dev/null)" != 0 ]; then
      result="FAILED: $(ls "$runs/$target" | grep -E '^(crash|leak|timeout|oom|slow-unit)-' |
        tr '\n' ' ')"
      status=1
    fi
    printf '%-30s %9s %7s %7s %7s %6s  %s\n' "$target" "${rate:-?}" "${cov:-?}" \
      "${features:-?}" "${units:-?}" "${rss:-?}" "$result"
  done
  echo "load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$runs/summary.txt"

if $merge; then
  for target in "${targets[@]}"; do
    minimise "$target" || status=1
  done
  du -sh --apparent-size "tests/data/fuzz" 2>/dev/null
fi
exit $status
