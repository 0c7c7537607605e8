#!/usr/bin/env bash
# check-release.sh EXE: checks what the release installer must be before it ships, none
# of which a test under Wine can see (Wine runs 64-bit builds here, never enforces
# elevation and forgives a broken manifest):
#   - a 32-bit PE (PE32, machine i386), so it runs on 32-bit and 64-bit Windows;
#   - subsystem Windows GUI, so no console window opens beside it;
#   - large-address-aware, so that on 64-bit Windows it has 4 GB of address space for
#     a large payload and its plaintext;
#   - no MinGW runtime DLL among its imports (the runtime is linked statically; the
#     installer is the one file a user has);
#   - a manifest resource (type 24, id 1) that is well-formed XML (Windows refuses to
#     start a program whose manifest is not), asks for requireAdministrator (it writes
#     to Program Files and HKLM) and depends on Common Controls 6.0.0.0 (themed controls
#     and the behaviour the dialogs were written for).
# Prints each check; exits non-zero when any fails.
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: check-release.sh EXE" >&2
  exit 2
fi
exe="$1"

# The i686 objdump reads 32-bit PE files only; the x86_64 one lets a 64-bit file be
# named for what it is instead of "not recognized".
objdumps=()
for candidate in i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump; do
  if command -v "$candidate" >/dev/null 2>&1; then objdumps+=("$candidate"); fi
done
# The system interpreter: a pyenv shim may not work with the HOME a Wine session sets.
python=/usr/bin/python3
[ -x "$python" ] || python="$(command -v python3 || true)"

echo "check-release: $exe"
failures=0
pass() { echo "  ok    $*"; }
fail() { echo "  FAIL  $*"; failures=$((failures + 1)); }

if [ ! -f "$exe" ]; then
  fail "no such file"
  echo "check-release: FAILED"
  exit 1
fi
if [ ${#objdumps[@]} -eq 0 ] || [ -z "$python" ]; then
  echo "check-release: needs binutils-mingw-w64 (objdump) and python3" >&2
  exit 1
fi

headers=""
read_ok=0
for objdump in "${objdumps[@]}"; do
  if headers="$("$objdump" -p "$exe" 2>&1)"; then read_ok=1; break; fi
done
if [ "$read_ok" -ne 1 ]; then
  fail "objdump cannot read it: $(head -1 <<<"$headers")"
  echo "check-release: FAILED"
  exit 1
fi

format="$(sed -n 's/.*file format \([^ ]*\).*/\1/p' <<<"$headers" | head -1)"
magic="$(awk '$1 == "Magic" {print $2; exit}' <<<"$headers")"
if [ "$format" = "pei-i386" ] && [ "$magic" = "010b" ]; then
  pass "PE32 for i386 (file format $format, optional header magic $magic)"
else
  fail "not a 32-bit PE: file format '${format:-?}', magic '${magic:-?}' (want pei-i386, 010b)"
fi

subsystem="$(awk '$1 == "Subsystem" {print $2; exit}' <<<"$headers")"
if [ -n "$subsystem" ] && [ $((16#$subsystem)) -eq 2 ]; then
  pass "subsystem 2 (Windows GUI)"
else
  fail "subsystem '${subsystem:-?}' is not 2 (Windows GUI)"
fi

characteristics="$(awk '$1 == "Characteristics" {print $2; exit}' <<<"$headers")"
if [[ "$characteristics" =~ ^(0x)?[0-9a-fA-F]+$ ]] && (( 16#${characteristics#0x} & 0x20 )); then
  pass "large address aware (characteristics $characteristics)"
else
  fail "not large address aware (characteristics '${characteristics:-?}' lack 0x20; link with --large-address-aware)"
fi

dlls="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr -d '\r' | sort -fu)"
runtime="$(grep -iE '^(libgcc_s|libstdc\+\+|libwinpthread|libgomp|libssp)' <<<"$dlls")"
if [ -z "$dlls" ]; then
  fail "no import table found"
elif [ -n "$runtime" ]; then
  fail "imports MinGW runtime DLLs: $(paste -sd " " <<<"$runtime") (link with -static)"
else
  pass "imports system DLLs only: $(paste -sd " " <<<"$dlls")"
fi

# The manifest is read straight from the resource tree of the file: type 24
# (RT_MANIFEST), name 1, first language.
manifest_report="$("$python" - "$exe" <<'PY'
import struct
import sys
import xml.etree.ElementTree as ET


def fail(message):
    print("FAIL " + message)
    sys.exit(0)


data = open(sys.argv[1], "rb").read()
try:
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
    sections = []
    table = optional + optional_size
    for i in range(sections_count):
        vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        sections.append((vaddr, max(vsize, rawsize), rawptr))
except struct.error:
    fail("truncated PE headers")


def offset(rva):
    for vaddr, size, rawptr in sections:
        if vaddr <= rva < vaddr + size:
            return rva - vaddr + rawptr
    fail("resource RVA 0x%x outside every section" % rva)


if resource_rva == 0 or resource_size == 0:
    fail("no resource section")
root = offset(resource_rva)


def entries(directory):
    named, ids = struct.unpack_from("<HH", data, directory + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
        yield (None if name & 0x80000000 else name), target


def find(directory, wanted):
    for name, target in entries(directory):
        if wanted is None or name == wanted:
            return target
    return None


try:
    by_type = find(root, 24)
    if by_type is None or not by_type & 0x80000000:
        fail("no manifest resource (type 24)")
    by_name = find(root + (by_type & 0x7FFFFFFF), 1)
    if by_name is None or not by_name & 0x80000000:
        fail("no manifest resource with id 1")
    leaf = find(root + (by_name & 0x7FFFFFFF), None)
    if leaf is None or leaf & 0x80000000:
        fail("manifest resource 1 has no data")
    data_rva, data_size = struct.unpack_from("<II", data, root + leaf)
    start = offset(data_rva)
    manifest = data[start:start + data_size]
except struct.error:
    fail("truncated resource directory")

print("OK manifest resource found (type 24, id 1, %d bytes)" % len(manifest))
if manifest.startswith(b"\xef\xbb\xbf"):
    manifest = manifest[3:]
try:
    document = ET.fromstring(manifest.rstrip(b"\0 \r\n\t"))
except ET.ParseError as error:
    fail("manifest is not well-formed XML: %s" % error)
print("OK manifest is well-formed XML")


def local(tag):
    return tag.rsplit("}", 1)[-1]


levels = [e.get("level") for e in document.iter() if local(e.tag) == "requestedExecutionLevel"]
if "requireAdministrator" in levels:
    print("OK manifest asks for requireAdministrator")
else:
    print("FAIL manifest execution level is %s, not requireAdministrator" % (levels or "missing"))

controls = [
    e for dependency in document.iter() if local(dependency.tag) == "dependentAssembly"
    for e in dependency.iter() if local(e.tag) == "assemblyIdentity"
    and e.get("name") == "Microsoft.Windows.Common-Controls"
]
versions = [e.get("version") for e in controls]
if "6.0.0.0" in versions:
    print("OK manifest depends on Microsoft.Windows.Common-Controls 6.0.0.0")
else:
    print("FAIL manifest does not depend on Common-Controls 6.0.0.0 (found %s)" % (versions or "none"))
PY
)"
reader_status=$?
if [ "$reader_status" -ne 0 ] || [ -z "$manifest_report" ]; then
  fail "the manifest reader failed (status $reader_status)"
fi
while IFS= read -r line; do
  case "$line" in
    OK\ *) pass "${line#OK }" ;;
    FAIL\ *) fail "${line#FAIL }" ;;
  esac
done <<<"$manifest_report"

if [ "$failures" -ne 0 ]; then
  echo "check-release: FAILED ($failures)"
  exit 1
fi
echo "check-release: all checks passed"
