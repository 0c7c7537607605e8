#!/usr/bin/env bash
# Scale benchmark: payloads of 1,000, 5,000 and 20,000 small files and one of 200 files
# of 1 MiB, built with `dhpack build`; each is installed, updated and uninstalled by the
# setup program's own sequences, natively over the host Win32 layer (the optimised
# tools build, each operation its own process). Beside them, the independent `lhasa x`
# of the same archive, and `cp -a` and `rm -rf` of the installed tree.
#   make bench           (builds build/tools and runs this after the other benchmarks)
#   SIZES="1000:4700 200:1048576" PACED=0 bash bench/scale/run.sh build/tools/tools/dhpack/dhpack
# Printed per payload: the work of each operation in µs per member with the pauses
# taken out (work that grows with the square of the count shows up here), the seconds
# of each with the pauses as shipped (PACED=0 skips these runs), and the peak memory of
# each process above its start as a multiple of the payload image; "limit" is the
# image twice plus the largest member plus 1 MiB, as the same multiple.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
dhpack="${1:-$repo/build/tools/tools/dhpack/dhpack}"
dhpack="$(cd "$(dirname "$dhpack")" && pwd)/$(basename "$dhpack")"
driver="$(dirname "$(dirname "$(dirname "$dhpack")")")/bench/scale/scale_driver"
sizes="${SIZES:-1000:4700 5000:4700 20000:4700 200:1048576}"
paced="${PACED:-1}"
work="$repo/build/bench/scale"
mkdir -p "$work"
# The installed trees live in memory when the machine has a tmpfs, so that the figures
# are the program's and not the disk's (SCRATCH chooses another folder).
if [ -z "${SCRATCH:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch=$(mktemp -d /dev/shm/dh-bench-scale.XXXXXX)
else
  scratch=$(mktemp -d "${SCRATCH:-$work}/scratch.XXXXXX")
fi
trap 'rm -rf "$scratch"' EXIT

[ -x "$dhpack" ] || { echo "bench: $dhpack not built (make tools)" >&2; exit 1; }
[ -x "$driver" ] || { echo "bench: $driver not built (make tools)" >&2; exit 1; }
command -v lhasa >/dev/null || { echo "bench: lhasa missing (make setup)" >&2; exit 1; }

salt=00112233445566778899aabbccddeeff
. "$repo/bench/lib.sh"
field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }

printf '%-22s %-10s %12s %9s %10s %8s\n' payload operation "µs/member" seconds "peak/image" limit
for spec in $sizes; do
  files=${spec%%:*} bytes=${spec##*:}
  name="$files-$bytes"
  image="$work/$name.dat" archive="$work/$name.lzh"
  if [ ! -f "$image" ] || [ ! -f "$archive" ]; then
    rm -rf "$work/$name.src"
    python3 "$here/make_payload.py" "$work/$name.src" "$files" "$bytes" "$repo/sample/payload/SetupInfo.xml"
    SOURCE_DATE_EPOCH=1700000000 "$dhpack" build --quiet --salt "$salt" "$image" "$work/$name.src"
    SOURCE_DATE_EPOCH=1700000000 "$dhpack" build --quiet --plain "$archive" "$work/$name.src"
    rm -rf "$work/$name.src"
  fi
  imagebytes=$(stat -c %s "$image")
  largest=$bytes  # every member is a file of this size, or smaller
  limit=$(awk -v i="$imagebytes" -v l="$largest" 'BEGIN { printf "%.3f", (2 * i + l + 1048576) / i }')
  label="$files x $bytes B"

  sandbox="$scratch/sandbox"
  declare -A work_us=() paced_s=() peak=()
  members=0
  for mode in unpaced paced; do
    [ "$mode" = paced ] && [ "$paced" = 0 ] && continue
    rm -rf "$sandbox" && mkdir -p "$sandbox"
    for op in install update uninstall; do
      out=$("$driver" "$op" "$sandbox" "$image" $([ "$mode" = unpaced ] && echo unpaced)) || {
        echo "bench: $op of $label failed: $out" >&2; exit 1; }
      [ "$op" = install ] && members=$(field members "$out")
      s=$(field seconds "$out")
      if [ "$mode" = unpaced ]; then
        work_us[$op]=$(awk -v s="$s" -v n="$members" 'BEGIN { printf "%.0f", s * 1e6 / n }')
        peak[$op]=$(awk -v p="$(field peak_kb "$out")" -v b="$(field baseline_kb "$out")" \
          -v i="$imagebytes" 'BEGIN { printf "%.3f", (p - b) * 1024 / i }')
        if [ "$op" = install ]; then  # the installed tree, for the independent tools
          tree="$sandbox/C/Program Files/Dravenholt"
          cp_s=$(seconds cp -a "$tree" "$scratch/copy")
          rm_s=$(seconds rm -rf "$scratch/copy")
        fi
      else
        paced_s[$op]=$s
      fi
    done
  done
  rm -rf "$sandbox" "$scratch/lhasa" && mkdir -p "$scratch/lhasa"
  lhasa_s=$(cd "$scratch/lhasa" && seconds lhasa x "$archive")
  rm -rf "$scratch/lhasa"

  for op in install update uninstall; do
    printf '%-22s %-10s %12s %9s %10s %8s\n' "$label" "$op" "${work_us[$op]}" \
      "${paced_s[$op]:--}" "${peak[$op]}x" "${limit}x"
  done
  printf '%-22s %-10s %12s %9s\n' "$label" "lhasa x" \
    "$(awk -v s="$lhasa_s" -v n="$members" 'BEGIN { printf "%.0f", s * 1e6 / n }')" "$(printf %.3f "$lhasa_s")"
  printf '%-22s %-10s %12s %9s\n' "$label" "cp -a" \
    "$(awk -v s="$cp_s" -v n="$members" 'BEGIN { printf "%.0f", s * 1e6 / n }')" "$(printf %.3f "$cp_s")"
  printf '%-22s %-10s %12s %9s\n' "$label" "rm -rf" \
    "$(awk -v s="$rm_s" -v n="$members" 'BEGIN { printf "%.0f", s * 1e6 / n }')" "$(printf %.3f "$rm_s")"
  echo "  ($members members, image $(awk -v i="$imagebytes" 'BEGIN { printf "%.1f MB", i / 1e6 }'))"
done
