# Sourced by the example tests: starts `vantrolix-cli simulate` in the background on a link of its
# own in a fresh folder ($dir, $link) and stops it when the test ends.
#   start_simulator VANTROLIX_CLI SIMULATE-OPTIONS...
start_simulator() {
  local cli=$1
  shift
  dir=$(mktemp -d)
  link=$dir/port
  "$cli" simulate --link "$link" "$@" >/dev/null &
  simulator=$!
  trap 'kill "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null; rm -rf "$dir"' EXIT
  for _ in $(seq 200); do
    [ -e "$link" ] && return 0
    sleep 0.05
  done
  echo "the simulator made no port at $link" >&2
  return 1
}
