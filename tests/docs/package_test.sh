#!/usr/bin/env bash
# scripts/package on stand-in build directories: the zip holds exactly the release files (the sample,
# its test file, the whole tutorial folder and the playground among them), quillo.exe is the one built;
# without the wasm build the playground and the manual's links to it stay out, and it says so; a build
# without quillo.exe is refused with a message naming it and no zip.
set -euo pipefail
source_dir=$1 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { printf 'package_test: %s\n' "$*" >&2; exit 1; }
listing() { python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); print(*sorted(z.namelist()), z.read(sys.argv[2]))' \
  "$1/quillo-1.33-win64.zip" quillo-1.33-win64/quillo.exe; }
mkdir -p "$work/build/shell" "$work/build/tools" "$work/wasm/docs"
echo "CMAKE_PROJECT_VERSION:STATIC=1.33" >"$work/build/CMakeCache.txt"
for f in shell/quillo tools/quillo-check tools/quillo-sim; do echo "$f" >"$work/build/$f.exe"; done
for f in quillo-playground.js playground.js playground.css; do echo "$f" >"$work/wasm/docs/$f"; done
release=(index.en.html index.html panel.png playground.en.png playground.png quillo-check.exe quillo-sim.exe quillo.exe
  scriptcommand.test scriptcommand.txt)
playground=(playground.css playground.en.html playground.html playground.js quillo-playground.js try-it.js)
expect() { printf '%s' "$(cd "$source_dir/examples" && printf 'quillo-1.33-win64/%s\n' "$@" tutorial/* | LC_ALL=C sort | tr '\n' ' ')" "b'shell/quillo\\n'"; }

"$source_dir/scripts/package" --no-build --build-dir "$work/build" --wasm-build-dir "$work/wasm" --out "$work/dist" >/dev/null
got=$(listing "$work/dist") expected=$(expect "${release[@]}" "${playground[@]}")
[ "$got" = "$expected" ] || fail "the zip holds
$got
expected
$expected"

"$source_dir/scripts/package" --no-build --build-dir "$work/build" --wasm-build-dir "$work/none" --out "$work/dist1" \
  >/dev/null 2>"$work/err" || fail "packaging without the playground failed"
got=$(listing "$work/dist1") expected=$(expect "${release[@]}")
[ "$got" = "$expected" ] || fail "without the wasm build the zip holds
$got"
grep -q playground "$work/err" || fail "no word that the playground was left out: $(cat "$work/err")"

rm "$work/build/shell/quillo.exe"
if "$source_dir/scripts/package" --no-build --build-dir "$work/build" --out "$work/dist2" 2>"$work/err" ||
  ! grep -q quillo.exe "$work/err" || [ -e "$work/dist2/quillo-1.33-win64.zip" ]; then
  fail "packaging without quillo.exe was not refused: $(cat "$work/err")"
fi
echo "package_test: ok"
