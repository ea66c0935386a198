#!/bin/bash
# The cost of --lines on a search: times the same plain-text, any-letter-case
# search over a source tree printing the found files, then with --lines
# printing every matching line, for a word found in many lines and one found
# in few; grep -rli and grep -rni on the same tree give the scale. Checks
# that --lines prints what grep -rni prints (for ASCII text). The tree is
# only read.
#
# usage: bench/lines_cost.sh [PROGRAM]   (default build/release/bin/finderix)
#        TREE=/work/linux/linux-source-6.1/fs WORDS="inode sb_rdonly" RUNS=3 bench/lines_cost.sh
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
tree=$(realpath "${TREE:-/work/linux/linux-source-6.1/fs}")
words=${WORDS:-inode sb_rdonly}
runs=${RUNS:-3}

work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT INT TERM
registry="$work/registry.db"

# Best of $runs wall-clock times of a command, in ms; the last run's output
# goes to $work/out.
best_of() {
  best=""
  for (( i = 0; i < runs; i++ )); do
    start=$(now_ms)
    "$@" > "$work/out" 2> /dev/null || [ $? -eq 1 ]
    took=$(( $(now_ms) - start ))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}

echo "tree: $tree, $(find "$tree" -type f | wc -l) files," \
  "$(du -sm --apparent-size "$tree" | cut -f1) MiB; best of $runs runs"
grep -rliF zzz "$tree" > /dev/null || true  # warms the page cache
for word in $words; do
  files_ms=$(best_of "$program" --registry "$registry" -C "$tree" "ff:/*/$word/pC")
  files=$(wc -l < "$work/out")
  lines_ms=$(best_of "$program" --registry "$registry" -C "$tree" --lines "ff:/*/$word/pC")
  sort "$work/out" > "$work/finderix.lines"
  lines=$(wc -l < "$work/out")
  grep_files_ms=$(best_of grep -rliF "$word" "$tree")
  grep_lines_ms=$(best_of grep -rniF "$word" "$tree")
  sort "$work/out" > "$work/grep.lines"
  same=$(cmp -s "$work/finderix.lines" "$work/grep.lines" && echo yes || echo NO)
  echo "\"$word\": $files files, $lines lines (same lines as grep -rni: $same)"
  echo "  finderix           ${files_ms} ms    grep -rli ${grep_files_ms} ms"
  echo "  finderix --lines   ${lines_ms} ms    grep -rni ${grep_lines_ms} ms"
  awk -v a="$files_ms" -v b="$lines_ms" \
    'BEGIN { printf "  cost of --lines: %+d ms (%.2fx)\n", b - a, b / (a > 0 ? a : 1) }'
done
