#!/usr/bin/env bash
# scripts/package on a stand-in build directory: the zip holds exactly the release files (the sample,
# its test file and the whole tutorial folder among them), quillo.exe is the one built, and a build
# without quillo.exe is refused with a message naming it and no zip.
set -euo pipefail
source_dir=$1 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/shell" "$work/build/tools"
echo "CMAKE_PROJECT_VERSION:STATIC=1.33" >"$work/build/CMakeCache.txt"
for f in shell/quillo tools/quillo-check tools/quillo-sim; do echo "$f" >"$work/build/$f.exe"; done
"$source_dir/scripts/package" --no-build --build-dir "$work/build" --out "$work/dist" >/dev/null
got=$(python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); print(*sorted(z.namelist()), z.read(sys.argv[2]))' \
  "$work/dist/quillo-1.33-win64.zip" quillo-1.33-win64/quillo.exe)
expected=$(cd "$source_dir/examples" && printf 'quillo-1.33-win64/%s ' index.en.html index.html panel.png quillo-check.exe \
  quillo-sim.exe quillo.exe scriptcommand.test scriptcommand.txt tutorial/*)"b'shell/quillo\\n'"
[ "$got" = "$expected" ] || { printf 'package_test: the zip holds\n%s\nexpected\n%s\n' "$got" "$expected" >&2; exit 1; }
rm "$work/build/shell/quillo.exe"
if "$source_dir/scripts/package" --no-build --build-dir "$work/build" --out "$work/dist2" 2>"$work/err" ||
  ! grep -q quillo.exe "$work/err" || [ -e "$work/dist2/quillo-1.33-win64.zip" ]; then
  echo "package_test: packaging without quillo.exe was not refused: $(cat "$work/err")" >&2; exit 1
fi
echo "package_test: ok"
