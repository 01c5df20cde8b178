#!/usr/bin/env bash
# scripts/package on stand-in build directories holding the MinGW build's programs: the zip holds exactly
# the release files (the sample, its test file, the whole tutorial folder and the playground among them);
# its programs are stripped, quillo.exe at most 150 KiB, with its manifest and without the test build's
# requests.
set -euo pipefail
source_dir=$1 win_build=$2 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { printf 'package_test: %s\n' "$*" >&2; exit 1; }
listing() { python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' "$1/quillo-1.33-win64.zip"; }
mkdir -p "$work/build/shell" "$work/build/tools" "$work/wasm/docs"
echo "CMAKE_PROJECT_VERSION:STATIC=1.33" >"$work/build/CMakeCache.txt"
cp "$win_build/quillo.exe" "$work/build/shell/"
cp "$win_build"/tools/quillo-{check,sim}.exe "$work/build/tools/"
for f in quillo-playground.js playground.js playground.css; do echo "$f" >"$work/wasm/docs/$f"; done
release=(index.en.html index.html panel.png playground.en.png playground.png quillo-check.exe quillo-sim.exe quillo.exe
  scriptcommand.test scriptcommand.txt)
playground=(playground.css playground.en.html playground.html playground.js quillo-playground.js try-it.js)
expect() { cd "$source_dir/examples" && printf 'quillo-1.33-win64/%s\n' "$@" tutorial/* | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'; }

"$source_dir/scripts/package" --no-build --build-dir "$work/build" --wasm-build-dir "$work/wasm" --out "$work/dist" >/dev/null
got=$(listing "$work/dist") expected=$(expect "${release[@]}" "${playground[@]}")
[ "$got" = "$expected" ] || fail "the zip holds
$got
expected
$expected"
(cd "$work" && unzip -q dist/quillo-1.33-win64.zip)
for program in quillo quillo-check quillo-sim; do
  x86_64-w64-mingw32-nm "$work/quillo-1.33-win64/$program.exe" 2>&1 | grep -q 'no symbols' || fail "$program.exe keeps its symbols"
done
grep -qa 'PerMonitorV2' "$work/quillo-1.33-win64/quillo.exe" || fail "quillo.exe has no manifest"
size=$(stat -c %s "$work/quillo-1.33-win64/quillo.exe")
[ "$size" -le 153600 ] || fail "quillo.exe is $size bytes, more than 153,600"
! grep -qaP 'Q\x00U\x00I\x00L\x00L\x00O\x00_\x00T\x00E\x00S\x00T' "$work/quillo-1.33-win64/quillo.exe" || fail "quillo.exe is the test build"

echo "package_test: ok $size bytes"
