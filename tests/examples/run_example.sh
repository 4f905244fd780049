#!/usr/bin/env bash
# Runs one example script against the simulated device it was written for, as CI does:
#   run_example.sh VANTROLIX_CLI MODEL SCRIPT
set -euo pipefail
cli=$1 model=$2 script=$3
dir=$(mktemp -d)
link=$dir/port
"$cli" simulate --model "$model" --link "$link" >/dev/null &
simulator=$!
trap 'kill "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 200); do
  [ -e "$link" ] && break
  sleep 0.05
done
"$cli" run "$script" --port "$link" --junit "$dir/report.xml"
