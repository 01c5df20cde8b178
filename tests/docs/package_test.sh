#!/usr/bin/env bash
# scripts/package on a stand-in build directory: the zip holds exactly the release files, and a
# build without quillo.exe is refused with a message.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build=$work/build
mkdir -p "$build/shell" "$build/tools"
echo "CMAKE_PROJECT_VERSION:STATIC=1.33" > "$build/CMakeCache.txt"
echo exe > "$build/shell/quillo.exe"
echo check > "$build/tools/quillo-check.exe"
echo sim > "$build/tools/quillo-sim.exe"
wasm=$work/wasm
mkdir -p "$wasm/docs"
for f in quillo-playground.js playground.js playground.css; do echo "$f" > "$wasm/docs/$f"; done

fail() { echo "package_test: $*" >&2; exit 1; }

"$source_dir/scripts/package" --no-build --build-dir "$build" --wasm-build-dir "$wasm" --out "$work/dist" >/dev/null
zip=$work/dist/quillo-1.33-win64.zip
[ -f "$zip" ] || fail "no $zip"
listed=$(python3 - "$zip" <<'PY'
import sys, zipfile
print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))
PY
)
expected="quillo-1.33-win64/index.en.html
quillo-1.33-win64/index.html
quillo-1.33-win64/panel.png
quillo-1.33-win64/playground.css
quillo-1.33-win64/playground.en.html
quillo-1.33-win64/playground.en.png
quillo-1.33-win64/playground.html
quillo-1.33-win64/playground.js
quillo-1.33-win64/playground.png
quillo-1.33-win64/quillo-check.exe
quillo-1.33-win64/quillo-playground.js
quillo-1.33-win64/quillo-sim.exe
quillo-1.33-win64/quillo.exe
quillo-1.33-win64/scriptcommand.txt
quillo-1.33-win64/try-it.js"
[ "$listed" = "$expected" ] || fail "zip lists
$listed
expected
$expected"
# The program file is the one built, not some other file of that name.
python3 - "$zip" <<'PY' || fail "quillo.exe in the zip is not the built one"
import sys, zipfile
assert zipfile.ZipFile(sys.argv[1]).read("quillo-1.33-win64/quillo.exe") == b"exe\n"
PY

# Without the wasm build the playground and the manual's links to it stay out, and the package says so.
"$source_dir/scripts/package" --no-build --build-dir "$build" --wasm-build-dir "$work/none" --out "$work/dist1" \
  >/dev/null 2>"$work/err" || fail "packaging without the playground failed"
python3 - "$work/dist1/quillo-1.33-win64.zip" <<'PY' || fail "playground files packaged without the wasm build"
import sys, zipfile
names = zipfile.ZipFile(sys.argv[1]).namelist()
assert not [n for n in names if n.endswith((".html", ".js", ".css")) and ("playground" in n or "try-it" in n)]
assert "quillo-1.33-win64/index.html" in names
PY
grep -q "playground" "$work/err" || fail "no word that the playground was left out: $(cat "$work/err")"

rm "$build/shell/quillo.exe"
if "$source_dir/scripts/package" --no-build --build-dir "$build" --out "$work/dist2" 2>"$work/err"; then
  fail "packaging without quillo.exe succeeded"
fi
grep -q "quillo.exe" "$work/err" || fail "the refusal does not name quillo.exe: $(cat "$work/err")"
[ ! -e "$work/dist2/quillo-1.33-win64.zip" ] || fail "a zip was written without quillo.exe"
echo "package_test: ok"
