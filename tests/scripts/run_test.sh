#!/usr/bin/env bash
# scripts/run as a user starts it, with TRESSORA_JOBS set: it builds the program with that many jobs,
# leaves the build folder's settings as they are (the benchmarks stay on, so the README's
# build/bench/... commands find them once everything is built), and starts the program with the user's
# arguments. The repository is mirrored by links into a scratch folder whose scripts/bootstrap installs
# nothing; the `cmake` found first on the PATH configures for real, but instead of building it records
# the build and puts a stand-in for the program in its place.
# Usage: run_test.sh <repository> <cmake>
set -euo pipefail
src="$1"
real_cmake="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/root/scripts" "$work/bin"
for entry in "$src"/*; do
  name="$(basename "$entry")"
  case "$name" in scripts | build) ;; *) ln -s "$entry" "$work/root/$name" ;; esac
done
cp "$src/scripts/run" "$work/root/scripts/run"
printf '#!/bin/sh\necho bootstrap >> "%s/log"\n' "$work" > "$work/root/scripts/bootstrap"
printf '#!/bin/sh\necho "started $*" >> "%s/log"\n' "$work" > "$work/standin"
cat > "$work/bin/cmake" <<STUB
#!/usr/bin/env bash
echo "cmake \$*" >> "$work/log"
if [ "\$1" = --build ]; then
  install -D -m 755 "$work/standin" "\$2/app/tressora"
  exit 0
fi
exec "$real_cmake" "\$@"
STUB
chmod +x "$work/root/scripts/run" "$work/root/scripts/bootstrap" "$work/bin/cmake"

jobs=$(( $(nproc) + 1 ))  # not what the script would take by itself
TRESSORA_JOBS=$jobs PATH="$work/bin:$PATH" "$work/root/scripts/run" --style 3 "two words"

fail=0
log="$(cat "$work/log")"
echo "$log"
grep -qx "bootstrap" <<<"$log" || { echo "FAIL: scripts/bootstrap was not run"; fail=1; }
grep -qx "cmake --build $work/root/build --target tressora -j$jobs" <<<"$log" ||
  { echo "FAIL: the program was not built with TRESSORA_JOBS=$jobs jobs in build/"; fail=1; }
grep -qx "TRESSORA_BENCH:BOOL=ON" "$work/root/build/CMakeCache.txt" ||
  { echo "FAIL: the benchmarks were switched off in build/: $(grep TRESSORA_BENCH: "$work/root/build/CMakeCache.txt")"; fail=1; }
grep -qx "started --style 3 two words" <<<"$log" || { echo "FAIL: the program was not started with the arguments"; fail=1; }
exit $fail
