#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan) in build-fuzz
# and runs each for SECONDS seconds, starting from its committed seed corpus in
# fuzz/corpus/<target>/ (copied to a scratch directory, so the committed corpus
# does not grow) and with the dictionary fuzz/dict/<target>.dict when there is
# one. Exits non-zero on any finding; the crashing input is kept in
# build-fuzz/findings/.
#   scripts/fuzz.sh SECONDS [TARGET...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(database image real48 hextext mapfinder viewchain paste xdf)

command -v clang++ >/dev/null || { echo "clang++ fehlt (scripts/deps.sh installiert es)"; exit 1; }

build="$here/build-fuzz"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANTA_GUI=OFF -DORVANTA_TESTS=ON -DORVANTA_BENCH=OFF -DORVANTA_FUZZ=ON \
  > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}")

max_len() {
  case "$1" in
    database) echo 8400 ;;    # up to 51 records
    image) echo 4400 ;;       # the image part is at most 4 KiB
    real48) echo 14 ;;
    hextext) echo 256 ;;
    mapfinder) echo 20000 ;;  # the target caps the image at 64 KiB; smaller inputs run faster
    viewchain) echo 9000 ;;   # a 64 x 64 map of 16-bit cells and its parameters
    xdf) echo 16384 ;;        # the largest seed (an exported demo database) is 12 KiB
    *) echo 4096 ;;
  esac
}

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:quarantine_size_mb=32:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/findings"
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$scratch/$t"
  cp -r "fuzz/corpus/$t/." "$scratch/$t/" 2>/dev/null || true
  echo "== fuzz_$t: ${seconds} s"
  log="$build/fuzz_$t.log"
  dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
  if "$build/fuzz_$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=25 -rss_limit_mb=2048 \
      "${dict[@]}" -print_final_stats=1 -artifact_prefix="$build/findings/$t-" "$scratch/$t" > "$log" 2>&1; then
    runs="$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')"
    echo "   ok, ${runs:-?} Ausführungen"
  else
    echo "   FUND in fuzz_$t (Eingabe unter $build/findings/):"
    grep -E 'ERROR|invariant|runtime error|SUMMARY|Test unit written' "$log" | head -20 || tail -30 "$log"
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing fand Fehler in: ${failed[*]}"
  exit 1
fi
echo "Fuzzing ohne Befund."
