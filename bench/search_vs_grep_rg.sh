#!/bin/bash
# Times finderix's file search on a large real source tree (the Linux 6.1
# sources) against grep and ripgrep, warm cache, for three queries:
#   a caseless rare literal, listing files: "grep -rliF", "rg -j1", "rg";
#   a per-line pattern: "grep -rlP", "rg -j1", "rg";
#   a backtracking per-line pattern on one driver folder: "grep -rlP", "rg".
# Prints the best of a few runs of each, the ratio finderix / other, and
# whether both listed the same files. Left out of that comparison: files
# reached through a symbolic link, which finderix searches and "grep -r" and
# rg do not, and where the reference is grep -P, the files it gave up on
# (its backtracking limit).
#
# usage: bench/search_vs_grep_rg.sh [PROGRAM]  (default build/release/bin/finderix)
#        TREE=/path/to/linux-source-6.1 RUNS=3 bench/search_vs_grep_rg.sh
# When TREE is missing, installs linux-source-6.1 and ripgrep (Debian) and
# unpacks the sources there.
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
tree=${TREE:-/work/linux/linux-source-6.1}
runs=${RUNS:-3}

ensure_tree() {
  if ! command -v rg > /dev/null; then apt-get install -y ripgrep >&2; fi
  [ -d "$tree" ] && return
  local archive=/usr/src/linux-source-6.1.tar.xz
  [ -f "$archive" ] || apt-get install -y linux-source-6.1 >&2
  mkdir -p "$(dirname "$tree")"
  tar -C "$(dirname "$tree")" -xf "$archive"
}
ensure_tree

work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT INT TERM
registry="$work/registry.db"

# One thread where the program has a setting for it; all cores otherwise.
threads_option() {  # count, or "" for the default
  if [ -n "$1" ] && "$program" --help 2>&1 | grep -q -- '--threads'; then
    echo "--threads $1"
  fi
}

# Each runner lists matching files as absolute paths, one per line; exit
# status 1 (nothing found) is not a failure. grep's stderr is kept, to learn
# which files it gave up on.
finderix_in() {  # folder command [threads]
  # shellcheck disable=SC2046
  "$program" --registry "$registry" $(threads_option "${3:-}") -C "$1" "$2" 2> /dev/null ||
    [ $? -eq 1 ]
}
grep_in() {  # folder grep-options needle
  # Status 2 with files it gave up on: those are left out of the comparison.
  LC_ALL=C grep "$2" -- "$3" "$1" 2>> "$work/grep.err" || [ $? -le 2 ]
}
rg_in() {  # folder threads needle rg-options...
  local folder=$1 threads=() needle=$3
  [ -n "$2" ] && threads=(-j "$2")
  shift 3
  rg "${threads[@]}" -l --hidden --no-ignore --no-messages "$@" -- "$needle" "$folder" ||
    [ $? -eq 1 ]
}

# Best of $runs wall-clock times of a command, in ms; the last run's sorted
# list goes to the file named by the first argument.
best_of() {  # output-file command...
  local out=$1 best="" took start
  shift
  for (( i = 0; i < runs; i++ )); do
    : > "$work/grep.err"
    start=$(now_ms)
    "$@" > "$out.raw"
    took=$(( $(now_ms) - start ))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  sort "$out.raw" > "$out"
  echo "$best"
}

# The files grep -P named as undecided (backtracking or other limits).
grep_gave_up() { sed -n 's/^grep: \(.*\): exceeded PCRE.*$/\1/p' "$work/grep.err" | sort; }

# Prints one comparison line: times, ratio and whether the lists agree.
compare() {  # label finderix-ms finderix-list other-label other-ms other-list [excluded]
  local same
  if [ -n "${7:-}" ]; then
    comm -23 "$3" "$7" > "$3.cmp"
    comm -23 "$6" "$7" > "$6.cmp"
  else
    cp "$3" "$3.cmp"
    cp "$6" "$6.cmp"
  fi
  if cmp -s "$3.cmp" "$6.cmp"; then
    same="same $(wc -l < "$6.cmp") files"
  else
    same="DIFFERENT: $(comm -23 "$3.cmp" "$6.cmp" | wc -l) only finderix, $(comm -13 "$3.cmp" "$6.cmp" | wc -l) only $4"
  fi
  awk -v l="$1" -v f="$2" -v o="$4" -v g="$5" -v s="$same" \
    'BEGIN { printf "  %-34s %6d ms  vs %-28s %6d ms  ratio %5.2f  (%s)\n", l, f, o, g, f / (g > 0 ? g : 1), s }'
}

# One query: finderix with one thread and with its default, against the
# references given as "label|function" strings. A label with "-j1" or
# "grep" is compared with the one-thread run, others with the default.
query() {  # title folder finderix-command references...
  local title=$1 folder=$2 command=$3
  shift 3
  echo "$title"
  finderix_in "$folder" "$command" > /dev/null  # warms the cache
  local f1 fn
  f1=$(best_of "$work/f1" finderix_in "$folder" "$command" 1)
  fn=$(best_of "$work/fn" finderix_in "$folder" "$command")
  find "$folder" -type l | sort > "$work/links"
  for reference in "$@"; do
    local label=${reference%%|*} ms excluded="$work/excluded"
    "${reference#*|}" > /dev/null  # warms the cache
    ms=$(best_of "$work/ref" "${reference#*|}")
    cp "$work/links" "$excluded"
    if [[ $label == grep* ]]; then grep_gave_up | sort -m - "$work/links" > "$excluded"; fi
    if [[ $label == *-j1* || $label == grep* ]]; then
      compare "finderix (1 thread)" "$f1" "$work/f1" "$label" "$ms" "$work/ref" "$excluded"
    else
      compare "finderix (default threads)" "$fn" "$work/fn" "$label" "$ms" "$work/ref" "$excluded"
    fi
  done
}

echo "tree: $tree ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
rare=SLEEP_ON_TIMEOUT
rare_grep() { grep_in "$tree" -rliF "$rare"; }
rare_rg1() { rg_in "$tree" 1 "$rare" -i -F; }
rare_rg() { rg_in "$tree" "" "$rare" -i -F; }
query "caseless rare literal \"$rare\"" "$tree" "ff:|*.*|$rare|pC" \
  "grep -rliF|rare_grep" "rg -j1 -i -F|rare_rg1" "rg -i -F|rare_rg"

line='^#define\s+[A-Z_]+\s+0x[0-9a-f]+$'
line_grep() { grep_in "$tree" -rlP "$line"; }
line_rg1() { rg_in "$tree" 1 "$line"; }
line_rg() { rg_in "$tree" "" "$line"; }
query "per-line pattern \"$line\"" "$tree" "ff:|*.*|$line|rc" \
  "grep -rlP|line_grep" "rg -j1|line_rg1" "rg|line_rg"

backtracking='(\w+\s?)+;$'
intel="$tree/drivers/net/ethernet/intel"
backtracking_grep() { grep_in "$intel" -rlP "$backtracking"; }
backtracking_rg() { rg_in "$intel" "" "$backtracking"; }
query "backtracking pattern \"$backtracking\" on drivers/net/ethernet/intel" "$intel" \
  "ff:|*.*|$backtracking|rc" "grep -rlP|backtracking_grep" "rg|backtracking_rg"
