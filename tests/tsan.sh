#!/bin/bash
# The file search's threads under ThreadSanitizer: builds build/tsan with
# FINDERIX_SANITIZE=thread, runs the tests that put worker threads to work
# (1 and N threads in every mode, a file truncated under a worker, Esc
# while workers run, patterns run from several threads at once), then a
# threaded finderix search of a source tree in every mode, whose output must
# equal the one-thread search's. Fails on any ThreadSanitizer report.
# Not part of `make test`: it needs a build of its own and takes minutes.
#
# usage: tests/tsan.sh                  (or: make tsan)
#        SOURCE=DIR tests/tsan.sh       (search a copy of DIR instead of this
#                                        checkout's sources)
set -euo pipefail
shopt -s inherit_errexit

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/tsan
tests=(module_files_search_workers_test module_files_file_search_test module_match_pattern_test
       platform_fault_guard_test platform_mapping_test host_finderix_test)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DFINDERIX_SANITIZE=thread > /dev/null
cmake --build "$build" -j"${JOBS:-2}" --target finderix finderix_plugin "${tests[@]}"

work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
# Every report goes to a file of its own, also a child process's, so that
# none hides in a test's captured output.
export TSAN_OPTIONS="log_path=$work/report halt_on_error=0 second_deadlock_stack=1"
# ThreadSanitizer needs a fixed memory layout; with a kernel that places
# maps with many random bits it can hang at start. Without randomisation
# (where the system allows turning it off) it always starts.
norandom=()
if setarch "$(uname -m)" -R true 2> /dev/null; then norandom=(setarch "$(uname -m)" -R); fi

# A test that fails, or exits with ThreadSanitizer's status after a report,
# fails the run; the reports are printed at the end.
failed=0
for test in "${tests[@]}"; do
  filter='*'
  [ "$test" = host_finderix_test ] && filter='*Thread*'  # the program's other tests run no workers
  echo "== $test"
  "${norandom[@]}" "$build/bin/$test" --gtest_brief=1 --gtest_filter="$filter" || failed=1
done

# A real tree: many small files (read into a buffer), a few large ones
# (mapped), and a line no pattern below can decide within its limits.
tree=$work/tree
mkdir -p "$tree"
if [ -n "${SOURCE:-}" ]; then
  cp -r "$SOURCE"/. "$tree"
else
  for folder in module platform host sdk lang tests bench; do cp -r "$root/$folder" "$tree"; done
fi
for n in 1 2 3; do
  for (( i = 0; i < 40000; i++ )); do echo "padding line $i of the large file $n"; done > "$tree/large$n.txt"
  echo "static int needle_$n = 0x1f;" >> "$tree/large$n.txt"
done
{ printf 'a%.0s' {1..40}; echo c; } > "$tree/runaway.txt"

commands=(
  'ff:~*.*~SearchWorkers~pC'
  'ff:~*.*~threads~pci'
  'ff:~*.cpp,*.hpp,*.txt~^#include\s+<\w+>$|(a+)+\1b|0x[0-9a-f]+;$~r'
  'ff:~*.cpp~,\s*\n\s+std::\w+~s'
  'ff:~*.hpp~\A//[^\n]*\n//~m'
  'ff:~*.*~+thread -mutex lock worker~a'
  'ff:~*.*~+work\w+ -^#include x\d+~li'
)
# Prints what a search printed on both outputs and its exit status.
finderix() {  # threads [options…] command
  local threads=$1 status=0
  shift
  "${norandom[@]}" "$build/bin/finderix" --registry "$work/registry.db" -C "$tree" --scope tree \
    --threads "$threads" "$@" > "$work/out" 2> "$work/err" || status=$?
  cat "$work/out" "$work/err"
  echo "exit status $status"
}
for command in "${commands[@]}"; do
  for options in "" "--lines" "--set FAllCharTables=1"; do
    # shellcheck disable=SC2086  # the options are words
    one=$(finderix 1 $options "$command")
    listed=$(grep -c . "$work/out" || true)
    # shellcheck disable=SC2086
    several=$(finderix 4 $options "$command")
    if [ "$one" != "$several" ]; then
      echo "differs with 4 threads: $options $command" >&2
      diff <(echo "$one") <(echo "$several") | head -20 >&2
      failed=1
    elif [ "$listed" -lt 2 ]; then
      echo "too little found to compare: $options $command" >&2
      echo "$one" >&2
      failed=1
    else
      echo "same with 1 and 4 threads ($listed lines, $(tail -1 <<< "$one")): $options $command"
    fi
  done
done

reports=("$work"/report.*)
if [ -e "${reports[0]}" ]; then
  cat "${reports[@]}"
  echo "ThreadSanitizer: reports in ${#reports[@]} processes" >&2
  exit 1
fi
[ "$failed" -eq 0 ] || exit 1
echo "ThreadSanitizer: no reports"
