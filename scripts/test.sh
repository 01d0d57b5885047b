#!/usr/bin/env bash
# Installs what is missing, builds every configuration with warnings as
# errors, and runs every test: the unit tests natively and under the
# sanitizers with the fuzz corpus, the records on ntfs-3g, the check of the
# shipped executable, and that program under Wine's 32-bit loader.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Without what the tests need, nothing has passed.
bash scripts/install-deps.sh || { echo "0 passed, 1 failed"; exit 1; }
export TOLVIK_WERROR=ON

# A new Wine prefix takes seconds to make: it is made while the builds run,
# and the checks under Wine start once it is there.
cmake/wine-run.sh cmd /c exit >/dev/null 2>&1 &
prefix=$!
presets=(host windows-x86 asan)
for preset in "${presets[@]}"; do
  echo "== build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
wait "$prefix" || true

passed=0
failed=0
skipped_log=$(mktemp)
for preset in "${presets[@]}"; do
  echo "== test: $preset"
  log=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$log" || true
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  # A skipped test has not passed: it is named and left out of the count.
  skipped_here=$(grep -cE '\(Skipped\)$' "$log" || true)
  grep -E '\(Skipped\)$' "$log" | sed -E "s/^[[:space:]]*[0-9]+ - /$preset: /" >>"$skipped_log" || true
  rm -f "$log"
  if [ -z "$summary" ]; then
    echo "no test summary from $preset"
    failed=$((failed + 1))
    continue
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad - skipped_here))
  failed=$((failed + bad))
done

echo
if [ -s "$skipped_log" ]; then
  echo "SKIPPED, not counted as passed:"
  sed 's/^/  /' "$skipped_log"
fi
skipped=$(wc -l <"$skipped_log")
rm -f "$skipped_log"
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
