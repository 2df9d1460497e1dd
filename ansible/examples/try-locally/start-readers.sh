#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Simulated Vireo-4 readers for the try-locally site, on pseudo-terminals named in
# $VIREO_TRY_DIR (default /tmp/vireo4-try): two at the desk, one at the kiosk, two at the gate,
# all with factory settings. "./start-readers.sh stop" ends them.
#
# vireo-sim is the repository's reader simulator: $VIREO_SIM, else build/native/sim/vireo-sim
# of the repository this example is in, else vireo-sim on the PATH.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dir=${VIREO_TRY_DIR:-/tmp/vireo4-try}
sim=${VIREO_SIM:-$here/../../../build/native/sim/vireo-sim}
[ -x "$sim" ] || sim=$(command -v vireo-sim) || { echo "vireo-sim not found: build the repository or set VIREO_SIM" >&2; exit 1; }

stop() {
    for pidfile in "$dir"/.*.pid; do
        [ -f "$pidfile" ] || continue
        pid=$(cat "$pidfile")
        kill "$pid" 2>/dev/null || true
        tries=0
        while kill -0 "$pid" 2>/dev/null && [ $tries -lt 100 ]; do
            tries=$((tries + 1))
            sleep 0.05
        done
        rm -f "$pidfile"
    done
}
if [ "${1:-}" = stop ]; then
    stop
    exit 0
fi
stop
mkdir -p "$dir"
# name and model: U Vireo-4KRU, M Vireo-4KRM, B Vireo-4-USB
for reader in desk-usb:B desk-kru:U kiosk-usb:B gate-in:M gate-out:M; do
    name=${reader%%:*}
    "$sim" --model "${reader#*:}" --link "$dir/$name" >/dev/null 2>"$dir/.$name.log" &
    echo $! > "$dir/.$name.pid"
done
for reader in desk-usb desk-kru kiosk-usb gate-in gate-out; do
    tries=0
    until [ -L "$dir/$reader" ]; do
        tries=$((tries + 1))
        [ $tries -le 100 ] || { echo "reader $reader did not start" >&2; exit 1; }
        sleep 0.05
    done
done
echo "5 readers in $dir: $(cd "$dir" && echo *)"
