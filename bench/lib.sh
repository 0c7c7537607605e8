# Shared by the benchmark scripts: source it after setting `repo`.

seconds() {  # the wall time of one command, in seconds
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.6f\n", ns / 1e9 }'
}
