#!/usr/bin/env bash
# Builds in Release and runs every benchmark.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash scripts/deps.sh
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DORVANTA_BENCH=ON
for b in build-release/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_min_time=0.2
done
