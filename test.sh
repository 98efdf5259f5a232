#!/usr/bin/env bash
# Builds Orvo (Release and ASan+UBSan) and runs the whole test suite headless, cross-builds the
# widget-free core for Windows and runs its unit tests under Wine, then runs each fuzz target
# briefly. Installs what it needs on a Debian 12 machine first.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
fuzz_seconds=${ORVO_FUZZ_SECONDS:-30}

# Formatting is checked first but fails the run only at the end, so the tests still report.
echo "== Formatting (.clang-format)"
format_ok=1
bash scripts/check-format.sh || format_ok=0

echo "== Release build"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
echo "== Release tests"
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== ASan+UBSan build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
echo "== ASan+UBSan tests"
ctest --test-dir build/asan --output-on-failure -j "$jobs"

echo "== Windows core build (mingw-w64) and its unit tests under Wine"
# A prefix of the build's own, made once before the tests start side by side; without the Mono and
# Gecko installers it would offer on a new prefix.
export WINEDEBUG=-all WINEPREFIX="$PWD/build/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot --init >/dev/null 2>&1 || true
cmake --preset windows-core >/dev/null
cmake --build --preset windows-core -j "$jobs"
ctest --test-dir build/windows --output-on-failure -j "$jobs"

if ls tests/fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  echo "== Fuzz targets (${fuzz_seconds} s each)"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  for src in tests/fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    work=build/fuzz/corpus-$name
    mkdir -p "$work"
    [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$work/"
    echo "-- $name"
    dict=()
    [ -f "tests/fuzz/$name.dict" ] && dict=(-dict="tests/fuzz/$name.dict")
    ./build/fuzz/tests/fuzz/$name -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 "${dict[@]}" "$work" 2>build/fuzz/$name.log || { tail -n 60 build/fuzz/$name.log; exit 1; }
    grep -E 'stat::number_of_executed_units|Done' build/fuzz/$name.log | head -n 2 || true
  done
fi
if [ "$format_ok" -ne 1 ]; then
  echo "== Tests passed, but some files are not formatted (see the list above)"
  exit 1
fi
echo "== All tests passed"
