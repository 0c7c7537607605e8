#!/usr/bin/env bash
# fuzz.sh [SECONDS] [TARGET...]: runs the libFuzzer targets of build/fuzz, each for
# SECONDS (default 30), from its committed seeds (tests/fuzz/corpus/<target>, plus the
# folders named in tests/fuzz/corpus/<target>.more, such as test fixtures) and the
# corpus grown by earlier runs (build/fuzz/corpus/<target>, never committed).
# `make test` runs every target briefly; for a long hunt:
#   make fuzz && bash scripts/fuzz.sh 3600 fuzz_lha_archive
# A crash leaves its input in build/fuzz/crashes/ and makes the script fail.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$repo/build/fuzz"
seconds="${1:-30}"
shift || true

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$t" ] && targets+=("$(basename "$t")")
  done
fi

mkdir -p "$build/crashes"
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  seeds="$repo/tests/fuzz/corpus/$target"
  mkdir -p "$corpus"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  if [ -f "$seeds.more" ]; then
    while read -r more; do
      [ -n "$more" ] && [ -d "$repo/$more" ] && dirs+=("$repo/$more")
    done < "$seeds.more"
  fi
  echo "fuzz: $target for ${seconds}s" >&2
  if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" "${dirs[@]}" \
      > "$build/$target.log" 2>&1; then
    echo "fuzz: $target found a failure; see $build/$target.log and $build/crashes/" >&2
    tail -n 40 "$build/$target.log" >&2
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$build/$target.log" >&2 || true
  fi
done
exit $status
