#!/usr/bin/env bash
# Builds everything and runs every test: a plain build, a build under
# AddressSanitizer and UndefinedBehaviorSanitizer, the kit and network tests under
# ThreadSanitizer, and the fuzz targets for a bounded time (TAVO_FUZZ_SECONDS each,
# default 30). TAVO_JOBS limits the parallel jobs (default: every processor). Each build
# sets its own time limits (tests/CMakeLists.txt): a sanitizer build's are larger.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tavo_install_missing "${TAVO_BUILD_PACKAGES[@]}" "${TAVO_TEST_PACKAGES[@]}"

jobs=${TAVO_JOBS:-$(nproc)}
export QT_QPA_PLATFORM=offscreen

echo "== plain build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure

echo "== address and undefined-behaviour sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVO_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j"$jobs" --output-on-failure

echo "== thread sanitizer (kit and network tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_SANITIZE_THREAD=ON \
  -DTAVO_BUILD_APP=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target kit_tests net_tests
for tests in kit_tests net_tests; do
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/tests/$tests --gtest_brief=1
done

if ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  echo "== fuzz targets"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTAVO_FUZZ=ON -DTAVO_BUILD_APP=OFF >/dev/null
  cmake --build build-fuzz -j"$jobs"
  seconds=${TAVO_FUZZ_SECONDS:-30}
  for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target"); name=${name#fuzz_}
    work=build-fuzz/corpus/$name
    mkdir -p "$work"
    seeds=()
    [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
    echo "-- $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
      -artifact_prefix=build-fuzz/ "$work" "${seeds[@]}" 2>build-fuzz/$name.log \
      || { tail -n 40 build-fuzz/$name.log; echo "fuzz target $name failed"; exit 1; }
  done
fi
echo "== all tests passed"
