#!/usr/bin/env bash
# The sweep against a simulated device told to get three variables wrong, each in its own way,
# must fail naming exactly those three:
#   sweep_misbehaving.sh VANTROLIX_CLI
set -euo pipefail
cli=$1
source "$(dirname "$0")/simulator.sh"
start_simulator "$cli" --model Fenlow --misbehave volume=wrong --misbehave 24=silent \
  --misbehave "Tuner Band=bad-checksum"
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
