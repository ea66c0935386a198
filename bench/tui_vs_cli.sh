#!/bin/sh
# Times one file search through the full-screen host, driven by tmux as a
# person would drive it (type "ff: needle", Enter, wait for the results
# panel), against the same search run as "finderix 'ff: needle'", and prints
# the median of each and their ratio (full-screen / command line).
#
# usage: bench/tui_vs_cli.sh [PROGRAM]   (default build/release/bin/finderix)
#        FILES=4000 KB=16 RUNS=5 bench/tui_vs_cli.sh
set -eu

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
files=${FILES:-4000}
kb=${KB:-16}
runs=${RUNS:-5}
folders=20

work=$(mktemp -d)
socket="finderix-bench-$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
tree="$work/tree"
registry="$work/registry.db"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
screen() { tmux -L "$socket" capture-pane -p 2>/dev/null || true; }
wait_for() {  # text [present|absent]
  deadline=$(( $(now_ms) + 60000 ))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    if screen | grep -qF -- "$1"; then
      [ "${2:-present}" = present ] && return 0
    else
      [ "${2:-present}" = absent ] && return 0
    fi
    sleep 0.005
  done
  echo "tui_vs_cli: timed out waiting for \"$1\" ($2)" >&2
  exit 1
}

# The tree: text files in $folders folders, "needle" in one file of each.
per=$(( files / folders ))
yes "the quick brown fox jumps over the lazy dog 0123456789" |
  head -c $(( per * kb * 1024 )) > "$work/chunk"
i=0
while [ "$i" -lt "$folders" ]; do
  mkdir -p "$tree/d$i"
  split -b "${kb}k" -a 4 "$work/chunk" "$tree/d$i/f"
  echo needle >> "$tree/d$i/faaab"
  i=$(( i + 1 ))
done
rm "$work/chunk"

# Both searches walk the panel's folder tree; this run also warms the cache.
"$program" --registry "$registry" -C "$tree" --set FSearchIn=3 'ff: needle' > /dev/null

cli_times=""
i=0
while [ "$i" -lt "$runs" ]; do
  start=$(now_ms)
  found=$("$program" --registry "$registry" -C "$tree" 'ff: needle' | wc -l)
  cli_times="$cli_times $(( $(now_ms) - start ))"
  i=$(( i + 1 ))
done

tmux -L "$socket" -f /dev/null new-session -d -x 120 -y 40 \
  "cd '$tree' && LANG=C.UTF-8 '$program' --registry '$registry'"
wait_for "Name"
tui_times=""
i=0
while [ "$i" -lt "$runs" ]; do
  tmux -L "$socket" send-keys -l 'ff: needle'
  sleep 0.2
  start=$(now_ms)
  tmux -L "$socket" send-keys Enter
  wait_for "Finderix results"
  tui_times="$tui_times $(( $(now_ms) - start ))"
  tmux -L "$socket" send-keys BSpace
  wait_for "Finderix results" absent
  i=$(( i + 1 ))
done
tmux -L "$socket" send-keys F10

cli=$(echo "$cli_times" | tr ' ' '\n' | grep . | median)
tui=$(echo "$tui_times" | tr ' ' '\n' | grep . | median)
echo "files: $files of ${kb} KB in $folders folders, found: $found, runs: $runs"
echo "command line (whole run):      ${cli} ms   [$cli_times ]"
echo "full screen (Enter to panel):  ${tui} ms   [$tui_times ]"
awk -v t="$tui" -v c="$cli" \
  'BEGIN { printf "ratio full screen / command line: %.2f (goal <= 1.10)\n", t / c }'
