#!/usr/bin/env bash
# Packer benchmark: the decode benchmark's 40 MB of deterministic mixed content packed
# with -lh5- by our `dhpack pack` and by the independent jlha (the `lha` command), with
# gzip -9 for reference; prints sizes, median times and our size relative to jlha's.
# Our archive is checked with lhasa and against the input before anything is timed.
#   make bench            (builds build/tools, optimised and without sanitizers, and runs this)
#   RUNS=3 MEGABYTES=40 bash bench/pack/run.sh build/tools/tools/dhpack/dhpack
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
dhpack="${1:-$repo/build/tools/tools/dhpack/dhpack}"
dhpack="$(cd "$(dirname "$dhpack")" && pwd)/$(basename "$dhpack")"
runs="${RUNS:-3}"
megabytes="${MEGABYTES:-40}"
work="$repo/build/bench/pack"
mkdir -p "$work"

[ -x "$dhpack" ] || { echo "bench: $dhpack not built (make tools)" >&2; exit 1; }
name="input-$megabytes.bin"
[ -f "$work/$name" ] || python3 "$repo/bench/decode/make_input.py" "$work/$name" "$megabytes"
cd "$work"

. "$repo/bench/lib.sh"
ours_pack() { rm -f ours.lzh; "$dhpack" pack ours.lzh "$name"; }
jlha_pack() { rm -f jlha.lzh; lha a jlha.lzh "$name"; }
gzip_pack() { gzip -9 -c "$name" > input.gz; }

ours_pack
lhasa t ours.lzh >/dev/null
cmp <("$dhpack" cat ours.lzh 1) "$name"
"$dhpack" list ours.lzh | grep -q -- '-lh5-'

ours=() theirs=() deflate=()
for _ in $(seq "$runs"); do
  ours+=("$(seconds ours_pack)")
  theirs+=("$(seconds jlha_pack)")
  deflate+=("$(seconds gzip_pack)")
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
awk -v o="$(median "${ours[@]}")" -v t="$(median "${theirs[@]}")" -v g="$(median "${deflate[@]}")" \
    -v so="$(stat -c %s ours.lzh)" -v st="$(stat -c %s jlha.lzh)" -v sg="$(stat -c %s input.gz)" \
    -v b="$(stat -c %s "$name")" -v r="$runs" 'BEGIN {
  printf "pack of %.1f MB, median of %d runs\n", b / 1e6, r
  printf "  dhpack pack -lh5- : %10d bytes  %5.1f%%  %.3f s\n", so, 100 * so / b, o
  printf "  jlha -lh5-        : %10d bytes  %5.1f%%  %.3f s\n", st, 100 * st / b, t
  printf "  gzip -9           : %10d bytes  %5.1f%%  %.3f s\n", sg, 100 * sg / b, g
  printf "  ratio             : dhpack size %.3f x jlha, time %.2f x jlha\n", so / st, o / t
}'
