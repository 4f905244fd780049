#!/usr/bin/env bash
# The sweep against a simulated device told to get three variables wrong, each in its own way,
# must fail naming exactly those three:
#   sweep_misbehaving.sh VANTROLIX_CLI
set -euo pipefail
cli=$1
dir=$(mktemp -d)
link=$dir/port
"$cli" simulate --model Fenlow --link "$link" --misbehave volume=wrong --misbehave 24=silent \
  --misbehave "Tuner Band=bad-checksum" >/dev/null &
simulator=$!
trap 'kill "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 200); do
  [ -e "$link" ] && break
  sleep 0.05
done
status=0
"$cli" sweep --port "$link" >"$dir/out" || status=$?
if [ "$status" -ne 1 ]; then
  echo "sweep exited with $status, not 1" >&2
  exit 1
fi
expected="failed: Volume (23), Mute (24), Tuner Band (43)"
last=$(tail -n 1 "$dir/out")
if [ "$last" != "$expected" ]; then
  echo "sweep ended with: $last" >&2
  echo "expected:         $expected" >&2
  exit 1
fi
