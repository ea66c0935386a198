# Shared by the scripts that time whole commands; sourced, not run.

# The finderix program to time: the one given, or the release build, built
# first when it is missing. Prints its absolute path.
release_program() {
  if [ -z "${1:-}" ] && [ ! -x build/release/bin/finderix ]; then
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >&2
    cmake --build build/release -j2 --target finderix finderix_plugin >&2
  fi
  realpath "${1:-build/release/bin/finderix}"
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Best of $runs wall-clock times of a command, in ms; the last run's output
# goes to the file given first.
best_of() {  # output-file command...
  local output=$1 best="" start took
  shift
  for (( i = 0; i < runs; i++ )); do
    start=$(now_ms)
    "$@" > "$output"
    took=$(( $(now_ms) - start ))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}
