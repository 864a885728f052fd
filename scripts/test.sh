#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test, then
# builds again with AddressSanitizer + UndefinedBehaviorSanitizer (and the leak
# check) and runs every test once more.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

bash scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="qt.qpa.*=false"
jobs="$(nproc)"

echo "== build (warnings as errors)"
bash scripts/build.sh build-ci -DORVANTA_WERROR=ON -DORVANTA_BENCH=ON
echo "== tests"
ctest --test-dir build-ci --output-on-failure -j"$jobs"

echo "== build with AddressSanitizer + UndefinedBehaviorSanitizer"
bash scripts/build.sh build-asan -DORVANTA_WERROR=ON -DORVANTA_SANITIZE=ON -DORVANTA_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug
echo "== tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$here/scripts/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

if [ -n "${ORVANTA_FUZZ_SECONDS:-}" ] && [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing, ${ORVANTA_FUZZ_SECONDS} s per target"
  bash scripts/fuzz.sh "${ORVANTA_FUZZ_SECONDS}"
fi
