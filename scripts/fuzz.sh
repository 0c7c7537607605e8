#!/usr/bin/env bash
# Runs the libFuzzer targets of build/fuzz from their committed seeds
# (tests/fuzz/corpus/<target>) and the corpus grown by earlier runs
# (build/fuzz/corpus/<target>, never committed), with the target's own libFuzzer flags
# from tests/fuzz/corpus/<target>.options (one a line) when there are any.
#
#   fuzz.sh [SECONDS] [TARGET...]
#     each target once for SECONDS (default 30): `make test` runs this. A crash leaves
#     its input in build/fuzz/crashes/ and makes the script fail.
#   fuzz.sh --campaign [--time SECONDS] [--runs N] [TARGET...]
#     a hunt (`make fuzz-long`): each target until it has run N inputs or SECONDS have
#     passed (default 600 s, no input limit), starting again after each crash, so that
#     every finding of the time is collected in build/fuzz/crashes/. Fails when any
#     target found something.
# Both print, per target: executions, executions per second, coverage (edges, features),
# corpus size and findings.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$repo/build/fuzz"

campaign=0
seconds=30
runs=0
if [ "${1:-}" = "--campaign" ]; then
  campaign=1
  seconds=600
  shift
  while [ $# -gt 0 ]; do
    case "$1" in
      --time) seconds="$2"; shift 2 ;;
      --runs) runs="$2"; shift 2 ;;
      *) break ;;
    esac
  done
elif [ $# -gt 0 ]; then
  seconds="$1"
  shift
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$t" ] && targets+=("$(basename "$t")")
  done
fi

# The value of libFuzzer's final statistic `name` in a log (0 when missing).
final_stat() { grep -E "^stat::$1:" "$2" | tail -n 1 | awk '{print $2}' || true; }
# Coverage and features of the last status line of a log.
coverage() { grep -oE 'cov: [0-9]+ ft: [0-9]+' "$1" | tail -n 1 | awk '{print $2 " edges, " $4 " features"}' || true; }

mkdir -p "$build/crashes"
status=0
printf '%-22s %12s %9s %28s %8s %9s\n' target executions exec/s coverage corpus findings >&2
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  seeds="$repo/tests/fuzz/corpus/$target"
  mkdir -p "$corpus"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  options=()
  if [ -f "$seeds.options" ]; then
    while read -r option; do
      [ -n "$option" ] && [ "${option:0:1}" != "#" ] && options+=("$option")
    done < "$seeds.options"
  fi
  log="$build/$target.log"
  : > "$log"
  executions=0
  findings=0
  started=$(date +%s)
  while :; do
    left=$((seconds - ($(date +%s) - started)))
    [ "$left" -gt 0 ] || break
    limit=()
    if [ "$runs" -gt 0 ]; then
      [ "$executions" -lt "$runs" ] || break
      limit=(-runs=$((runs - executions)))
    fi
    part="$build/$target.part.log"
    if "$build/tests/fuzz/$target" -max_total_time="$left" "${limit[@]}" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 "${options[@]}" \
        -artifact_prefix="$build/crashes/$target-" "${dirs[@]}" > "$part" 2>&1; then
      failed=0
    else
      failed=1
    fi
    cat "$part" >> "$log"
    done_runs=$(final_stat number_of_executed_units "$part")
    executions=$((executions + ${done_runs:-0}))
    [ "$failed" -eq 0 ] && break
    findings=$((findings + 1))
    echo "fuzz: $target found a failure; see $log and $build/crashes/" >&2
    grep -E '^==[0-9]+==ERROR|runtime error|^SUMMARY|Test unit written' "$part" >&2 || tail -n 20 "$part" >&2
    # A short run stops at its first finding; a campaign goes on with the time left.
    [ "$campaign" -eq 1 ] || break
  done
  rm -f "$build/$target.part.log"
  elapsed=$(($(date +%s) - started))
  [ "$elapsed" -gt 0 ] || elapsed=1
  size=$(find "$corpus" -type f | wc -l)
  printf '%-22s %12d %9d %28s %8d %9d\n' "$target" "$executions" $((executions / elapsed)) \
    "$(coverage "$log")" "$size" "$findings" >&2
  [ "$findings" -eq 0 ] || status=1
done
exit $status
