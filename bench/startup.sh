#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up figures for the real binary on an X server (Xvfb when there is no display):
# cold start to a visible panel (start, then `quelto --toggle` at once; median of 10
# runs), a first launch to the visible welcome guide (median of 10), and resident
# memory after start and with 12 tabs of 100 KB opened.
set -euo pipefail
binary="${1:?usage: startup.sh path/to/quelto}"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

rss_mb() { awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
visible() { xdotool search --onlyvisible --name "${1:-^Quelto\$}" >/dev/null 2>&1; }
new_home() {
    home=$(mktemp -d)
    export HOME="$home" XDG_DATA_HOME="$home/share" XDG_CONFIG_HOME="$home/config"
}

times=()
for run in $(seq 10); do
    new_home
    start=$(date +%s%N)
    "$binary" >/dev/null 2>&1 &
    first=$!
    # Whichever of the two takes the data folder first runs; the other hands over.
    "$binary" --toggle >/dev/null 2>&1 &
    second=$!
    deadline=$(( $(date +%s) + 15 ))
    until visible; do
        if [ "$(date +%s)" -gt "$deadline" ]; then
            echo "run $run: no panel within 15 s (is the X server up?)" >&2
            exit 1
        fi
        sleep 0.002
    done
    times+=($(( ($(date +%s%N) - start) / 1000000 )))
    if [ "$run" = 1 ]; then
        sleep 1
        for pid in $first $second; do
            [ -e "/proc/$pid" ] && after_start=$(rss_mb "$pid")
        done
    fi
    kill -TERM $first $second 2>/dev/null || true
    wait $first $second 2>/dev/null || true
    rm -rf "$home"
done
median_of() { printf '%s\n' "$@" | sort -n | sed -n 5,6p | awk '{ s += $1 } END { printf "%.0f", s / 2 }'; }
median=$(median_of "${times[@]}")

# A first launch opens the welcome guide by itself.
guide_times=()
for run in $(seq 10); do
    new_home
    start=$(date +%s%N)
    "$binary" >/dev/null 2>&1 &
    pid=$!
    deadline=$(( $(date +%s) + 15 ))
    until visible '^Welcome to Quelto$'; do
        if [ "$(date +%s)" -gt "$deadline" ]; then
            echo "run $run: no welcome guide within 15 s" >&2
            exit 1
        fi
        sleep 0.002
    done
    guide_times+=($(( ($(date +%s%N) - start) / 1000000 )))
    kill -TERM $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    rm -rf "$home"
done
guide_median=$(median_of "${guide_times[@]}")

# Twelve tabs: eleven stray 100 KB notes are adopted when the panel shows.
new_home
mkdir -p "$XDG_DATA_HOME/Quelto/Notes"
for i in $(seq 11); do
    python3 - "$XDG_DATA_HOME/Quelto/Notes/$(cat /proc/sys/kernel/random/uuid | tr a-z A-Z).md" <<'PY'
import sys
line = "- [ ] an item with **bold** and a link https://example.com = not math\n"
open(sys.argv[1], "w").write((line * (102400 // len(line) + 1))[:102400])
PY
done
"$binary" >/dev/null 2>&1 &
pid=$!
sleep 1.5
"$binary" --toggle
sleep 0.5
for i in $(seq 12); do xdotool key ctrl+shift+bracketright; sleep 0.15; done
sleep 1
with_tabs=$(rss_mb "$pid")
kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
rm -rf "$home"

echo "cold start to visible panel, median of 10: ${median} ms (runs: ${times[*]})"
echo "first launch to visible welcome guide, median of 10: ${guide_median} ms (runs: ${guide_times[*]})"
echo "resident memory after start with the welcome note: ${after_start} MB"
echo "resident memory with 12 tabs of 100 KB opened: ${with_tabs} MB"
