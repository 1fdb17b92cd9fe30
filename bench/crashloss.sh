#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How much typing a crash loses: types into the real panel under Xvfb and openbox,
# kills Quelto with SIGKILL at once, and counts the typed characters missing from disk.
# Usage: bench/crashloss.sh path/to/quelto [runs]   (runs per typing speed, default 20)
set -euo pipefail
binary=$(realpath "$1")
runs=${2:-20}
display=:97
Xvfb $display -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
openbox --sm-disable >/dev/null 2>&1 &
sleep 1

measure() { # delay-ms characters → characters lost
    local delay=$1 count=$2 home typed pid path
    home=$(mktemp -d)
    typed=$(head -c "$count" < <(yes abcdefghij | tr -d '\n'))
    HOME=$home XDG_DATA_HOME=$home/share XDG_CONFIG_HOME=$home/config "$binary" &
    pid=$!
    for _ in $(seq 50); do [ -s "$home/share/Quelto/index.json" ] && break; sleep 0.1; done
    sleep 0.5
    xdotool key ctrl+shift+j
    sleep 0.8
    xdotool type --delay "$delay" "$typed"
    kill -KILL $pid
    wait $pid 2>/dev/null || true
    path=$(grep -o '"activeID": "[^"]*"' "$home/share/Quelto/index.json" | cut -d'"' -f4)
    python3 - "$home/share/Quelto/Notes/$path.md" "$typed" <<'PY'
import sys
text = open(sys.argv[1], encoding="utf-8").read() if len(sys.argv) > 1 else ""
typed = sys.argv[2]
at = text.find("abcdefghij")
saved = 0
while at >= 0 and at + saved < len(text) and saved < len(typed) and text[at + saved] == typed[saved]:
    saved += 1
print(len(typed) - saved)
PY
    rm -rf "$home"
}

for speed in "150 40" "20 150"; do
    set -- $speed
    losses=()
    for _ in $(seq "$runs"); do losses+=("$(measure "$1" "$2")"); done
    sorted=$(printf '%s\n' "${losses[@]}" | sort -n)
    median=$(echo "$sorted" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    max=$(echo "$sorted" | tail -1)
    echo "typing $2 characters at $1 ms a key, $runs runs: lost median $median, max $max characters"
done
