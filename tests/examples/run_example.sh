#!/usr/bin/env bash
# Runs one example script against the simulated device it was written for, as CI does:
#   run_example.sh VANTROLIX_CLI MODEL SCRIPT
set -euo pipefail
cli=$1 model=$2 script=$3
source "$(dirname "$0")/simulator.sh"
start_simulator "$cli" --model "$model"
"$cli" run "$script" --port "$link" --junit "$dir/report.xml"
