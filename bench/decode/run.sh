#!/usr/bin/env bash
# Decode benchmark: about 40 MB of deterministic mixed content, packed with -lh5- by the
# independent jlha (the `lha` command), decoded to /dev/null by our `dhpack cat` and by
# the independent `lhasa p`, RUNS times each in alternation; prints the median times,
# the throughputs and our speed relative to lhasa's. gzip's inflate of the same content
# is timed too, as the yardstick of a fast decoder.
#   make bench            (builds build/tools, without sanitizers, and runs this)
#   RUNS=9 MEGABYTES=40 bash bench/decode/run.sh build/tools/tools/dhpack/dhpack
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
dhpack="${1:-$repo/build/tools/tools/dhpack/dhpack}"
runs="${RUNS:-5}"
megabytes="${MEGABYTES:-40}"
work="$repo/build/bench/decode"
mkdir -p "$work"

[ -x "$dhpack" ] || { echo "bench: $dhpack not built (make bench)" >&2; exit 1; }
input="$work/input-$megabytes.bin"
archive="$work/input-$megabytes.lzh"
gzipped="$work/input-$megabytes.gz"
if [ ! -f "$archive" ]; then
  python3 "$here/make_input.py" "$input" "$megabytes"
  (cd "$work" && rm -f "$(basename "$archive")" && lha a "$(basename "$archive")" "$(basename "$input")" >/dev/null)
  gzip -6 -c "$input" > "$gzipped"
fi

# Both decoders must agree with the original before anything is timed.
cmp <("$dhpack" cat "$archive" 1) "$input"
# lhasa p puts a banner with the member name ahead of the bytes.
name="${input##*/}"
banner=$(( 9 + ${#name} + 1 + 9 ))
cmp <(lhasa p "$archive" | tail -c +$((banner + 1))) "$input"

. "$repo/bench/lib.sh"

ours=() theirs=() inflate=()
for _ in $(seq "$runs"); do
  ours+=("$(seconds "$dhpack" cat "$archive" 1)")
  theirs+=("$(seconds lhasa p "$archive")")
  inflate+=("$(seconds gzip -dc "$gzipped")")
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
m_ours=$(median "${ours[@]}")
m_theirs=$(median "${theirs[@]}")
m_inflate=$(median "${inflate[@]}")
bytes=$(stat -c %s "$input")
awk -v o="$m_ours" -v t="$m_theirs" -v g="$m_inflate" -v b="$bytes" -v r="$runs" 'BEGIN {
  printf "decode of %.1f MB (-lh5-, packed by jlha), median of %d runs\n", b / 1e6, r
  printf "  dhpack cat : %.3f s  %7.1f MB/s\n", o, b / 1e6 / o
  printf "  lhasa p    : %.3f s  %7.1f MB/s\n", t, b / 1e6 / t
  printf "  gzip -dc   : %.3f s  %7.1f MB/s  (inflate of the same content)\n", g, b / 1e6 / g
  printf "  ratio      : dhpack is %.2f x lhasa, %.2f x inflate\n", t / o, g / o
}'
