#!/usr/bin/env bash
# Fuzzes the BMP reader with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, starting from seed pictures that fuzz/seeds.sh
# writes afresh into build-fuzz/seeds on every run.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60; extra libFuzzer flags in FUZZ_FLAGS)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus"
rm -rf "$out/seeds"
bash fuzz/seeds.sh "$out/seeds"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I. fuzz/fuzz_bmp_reader.cpp imaging/bmp_*.cpp \
  platform/console_backend.cpp platform/posix_files.cpp platform/posix_file_ops.cpp \
  -o "$out/fuzz_bmp_reader"
# New findings go to $out/corpus, which later runs start from too; the seeds
# are rewritten each time.
# Its progress lines (over a thousand a minute) go to $out/fuzz.log; the log
# shows the final statistics, or on a finding everything from the report on.
status=0
# shellcheck disable=SC2086
"$out/fuzz_bmp_reader" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -dict=fuzz/bmp.dict -artifact_prefix="$out/" -print_final_stats=1 \
  ${FUZZ_FLAGS:-} "$out/corpus" "$out/seeds" >"$out/fuzz.log" 2>&1 || status=$?
if [ "$status" -eq 0 ]; then
  grep -E '^(Done |stat::)' "$out/fuzz.log"
else
  echo "fuzzing failed (exit $status); the run's report ($out/fuzz.log):"
  report='(==[0-9]+==ERROR|runtime error|deadly signal|ALARM|out-of-memory|Test unit written)'
  if grep -qE "$report" "$out/fuzz.log"; then
    sed -nE "/$report/,\$p" "$out/fuzz.log"
  else
    tail -n 100 "$out/fuzz.log"
  fi
fi
exit "$status"
