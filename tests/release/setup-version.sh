#!/usr/bin/env bash
# setup-version.sh REPO WORK: the setup version a build is configured with. Versions the
# installer's comparison cannot read stop the configure step with the reason; good ones
# give the header the program and its version resource are built with.
set -uo pipefail

repo="$1" work="$2"
failures=0
fail() { echo "setup-version: $*" >&2; failures=$((failures + 1)); }
configure() { cmake -DDH_SETUP_VERSION="$1" -DDH_GENERATED_DIR="$work/generated" -P "$repo/cmake/DhVendor.cmake" 2>&1; }

rm -rf "$work"
# version, then the reason the configure step must give
while IFS='|' read -r version reason; do
  out="$(configure "$version")" && fail "\"$version\" was accepted"
  grep -qF "DH_SETUP_VERSION \"$version\" is refused: $reason" <<<"$(tr '\n' ' ' <<<"$out" | tr -s ' ')" ||
    fail "\"$version\": not refused with \"$reason\": $out"
done <<'CASES'
1.0.4|it does not have four dot-separated numbers
1.0.4.8219.1|it does not have four dot-separated numbers
1..4.8219|number 2 ("") is not decimal digits
1.0.4.x|number 4 ("x") is not decimal digits
-1.0.4.8219|number 1 ("-1") is not decimal digits
12345678.0.4.8219|number 1 ("12345678") has more than 7 digits
1.0.4.123456789|number 4 ("123456789") has more than 8 digits
1234567.1234567.1234567.12345678|it is longer than 31 characters
CASES

# version, then the numbers of the version resource
while IFS='|' read -r version numbers; do
  rm -rf "$work"
  out="$(configure "$version")" || { fail "\"$version\" was refused: $out"; continue; }
  header="$(cat "$work/generated/SetupVersion.h" 2>/dev/null)"
  grep -qxF "#define DH_SETUP_VERSION \"$version\"" <<<"$header" || fail "\"$version\": header $header"
  grep -qxF "#define DH_SETUP_VERSION_NUMBERS $numbers" <<<"$header" || fail "\"$version\": not $numbers in $header"
done <<'CASES'
1.0.4.8219|1,0,4,8219
2.10.007.65535|2,10,7,65535
1234567.1.1.1234567|0,0,0,0
1.0.0.65536|0,0,0,0
CASES

[ "$failures" -eq 0 ] || exit 1
echo "setup-version: refusals and accepted versions as expected"
