#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs one fuzz harness for a bounded time: usage fuzz-run.sh HARNESS SECONDS SEEDS WORKDIR.
# The committed seeds are read, never written; new inputs go to WORKDIR/corpus (fresh each
# run) and a finding (crash, failed property, leak, sanitizer report, hang) to WORKDIR/, with
# a non-zero exit code.
set -euo pipefail
harness=$1 seconds=$2 seeds=$3 work=$4
rm -rf "$work"
mkdir -p "$work/corpus"
exec "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
     -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds"
