#!/bin/bash
# Times finderix's file search on one thread, on two, and on its default
# (one per processor) against ripgrep (one thread and its default) and
# grep, over a real source tree, for a caseless rare literal and a per-line
# pattern; checks that each lists the same files as grep and prints the best
# of a few runs of each with its ratio to grep. Warm cache: every command
# runs once before it is timed.
#
# usage: bench/threads_vs_rg.sh [PROGRAM]   (default build/release/bin/finderix)
#        TREE=/work/linux/linux-source-6.1 RUNS=3 bench/threads_vs_rg.sh
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
tree=$(realpath "${TREE:-/work/linux/linux-source-6.1}")
runs=${RUNS:-3}
if [ ! -d "$tree" ]; then
  echo "no tree at $tree: unpack Debian's linux-source-6.1 there, or give TREE" >&2
  exit 2
fi

work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT INT TERM
registry="$work/registry.db"

literal=SLEEP_ON_TIMEOUT
pattern='^#define\s+[A-Z_]+\s+0x[0-9a-f]+$'

finderix() {  # threads command
  "$program" --registry "$registry" -C "$tree" --scope tree --threads "$1" "$2" 2> /dev/null \
    || [ $? -eq 1 ]
}
# Each query as finderix, ripgrep and grep put it; grep is the reference.
literal_finderix() { finderix "$1" "ff:|*.*|$literal|pC"; }
literal_rg() { rg "$@" -l -i -F --hidden --no-ignore "$literal" "$tree" || [ $? -eq 1 ]; }
literal_grep() { LC_ALL=C grep -rliF "$literal" "$tree" || [ $? -eq 1 ]; }
pattern_finderix() { finderix "$1" "ff:|*.*|$pattern|rc"; }
pattern_rg() { rg "$@" -l --hidden --no-ignore "$pattern" "$tree" || [ $? -eq 1 ]; }
pattern_grep() { LC_ALL=C grep -rlP "$pattern" "$tree" || [ $? -eq 1 ]; }

# Best of $runs warm runs of the command in ms; its list, sorted, goes to
# $work/last.
best_sorted() {
  "$@" > /dev/null
  best_of "$work/out" "$@"
  sort "$work/out" > "$work/last"
}

status=0
for query in literal pattern; do
  echo "== $query"
  grep_ms=$(best_sorted "${query}_grep")
  mv "$work/last" "$work/reference"
  echo "$(wc -l < "$work/reference") files listed by grep: ${grep_ms} ms"
  report() {  # label command...
    local label=$1; shift
    local ms; ms=$(best_sorted "$@")
    local same=yes
    cmp -s "$work/last" "$work/reference" || { same=NO; status=1; }
    awk -v l="$label" -v m="$ms" -v g="$grep_ms" -v s="$same" \
      'BEGIN { printf "%-24s %7d ms  %5.2f x grep  same files: %s\n", l, m, m / (g > 0 ? g : 1), s }'
  }
  report "finderix --threads 1" "${query}_finderix" 1
  report "finderix --threads 2" "${query}_finderix" 2
  report "finderix (default)" "${query}_finderix" 0
  report "rg -j1" "${query}_rg" -j1
  report "rg (default)" "${query}_rg"
done
exit $status
