#!/usr/bin/env bash
# signed-install.sh REPO DHPACK SETUP_EXE E2E_TESTS WORK: signs a copy of the win64 installer
# with a throwaway key (made in WORK/keys), checks the signature against the throwaway
# authority and that dhpack still reads the payload, then runs the wizard's fresh
# installation end to end under Wine with the signed copy.
set -euo pipefail

repo="$1" dhpack="$2" setup="$3" e2e="$4" work="$5"
fail() { echo "signed-install: $*" >&2; exit 1; }

[ -f "$work/keys/signing.p12" ] || bash "$repo/tests/release/make-signing-key.sh" "$work/keys"
signed="$work/DHViewSetup.exe"
DH_SIGN_PKCS12="$work/keys/signing.p12" DH_SIGN_PASSWORD_FILE="$work/keys/signing.pass" \
  DH_SIGN_CA="$work/keys/ca.pem" bash "$repo/scripts/sign.sh" "$setup" "$signed"
cmp -s <("$dhpack" list "$setup:130") <("$dhpack" list "$signed:130") ||
  fail "dhpack lists another payload in the signed copy"
"$dhpack" test "$signed:130" >/dev/null || fail "the signed copy's payload does not test clean"

DH_SETUP_EXE_UNDER_TEST="Z:$(tr / '\\' <<<"$signed")" bash "$repo/scripts/wine-exec.sh" "$e2e" \
  --gtest_filter=WizardE2ETest.FreshInstallationThroughEveryPageInstallsFilesLinksAndRegistry
