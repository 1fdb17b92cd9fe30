#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real quelto binary on Debian's KDE stack: a headless kwin_wayland with Xwayland,
# xdg-desktop-portal and its KDE backend, all on this test's private session bus and
# runtime folder. Real key presses (KWin's fake input) must toggle the panel once each,
# the desktop must bind the preferred combination, which Settings shows, and a restart
# must reuse its entry.
# Usage: kde_portal.sh QUELTO FAKEKEYS. Exit 77 (skipped) only when the stack is absent.
set -euo pipefail
quelto=$1 fakekeys=$2
portal=/usr/libexec/xdg-desktop-portal
kde=/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde
for need in /usr/bin/kwin_wayland "$portal" "$kde"; do
    [ -x "$need" ] || { echo "SKIP: $need is not installed"; exit 77; }
done
[ -x "$fakekeys" ] || { echo "FAIL: fakekeys was not built (libwayland-dev, plasma-wayland-protocols)"; exit 1; }

work=$(mktemp -d)
pids=()
finish() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*"; for f in "$work"/*.log; do echo "== $f"; tail -n 15 "$f"; done; exit 1; }
# Polls `condition` for up to `seconds`, so a missing service fails in seconds.
wait_for() {
    local seconds=$1 what=$2; shift 2
    for _ in $(seq $((seconds * 10))); do "$@" && return 0; sleep 0.1; done
    fail "$what (waited ${seconds} s)"
}

mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/kde XDG_CONFIG_HOME=$work/kde/.config
export XDG_CURRENT_DESKTOP=KDE KWIN_WAYLAND_NO_PERMISSION_CHECKS=1
unset DISPLAY WAYLAND_DISPLAY
# The installed binary carries a file capability that containers refuse to exec.
cp /usr/bin/kwin_wayland "$work/kwin_wayland"
"$work/kwin_wayland" --virtual --xwayland --socket wayland-test >"$work/kwin.log" 2>&1 &
kwin=$!
pids+=("$kwin")
export WAYLAND_DISPLAY=wayland-test
wait_for 20 "kwin_wayland did not start" test -S "$XDG_RUNTIME_DIR/wayland-test"
wait_for 10 "kwin started no Xwayland" pgrep -P "$kwin" Xwayland >/dev/null
DISPLAY=$(tr '\0' '\n' <"/proc/$(pgrep -P "$kwin" Xwayland)/cmdline" | grep -m1 '^:')
export DISPLAY
QT_QPA_PLATFORM=wayland "$kde" >"$work/kde.log" 2>&1 &
pids+=($!)
has_name() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.ListNames | grep -q "\"$1\""; }
wait_for 10 "the KDE portal backend did not start" has_name org.freedesktop.impl.portal.desktop.kde
"$portal" >"$work/portal.log" 2>&1 &
pids+=($!)
wait_for 10 "xdg-desktop-portal did not start" has_name org.freedesktop.portal.Desktop

app=$work/app
mkdir -p "$app/.config/Quelto"
# Ctrl+Alt+M, not the default: what the desktop binds must be what was asked for.
cat >"$app/.config/Quelto/Quelto.conf" <<'CONF'
[General]
hasCompletedOnboarding=true
hotKey="@ByteArray({\"keyCode\":46,\"modifiers\":2304})"
CONF
user=(env "HOME=$app" "XDG_CONFIG_HOME=$app/.config" "XDG_DATA_HOME=$app/.local/share"
    "XDG_STATE_HOME=$app/.local/state" "$quelto")
run_quelto() {
    "${user[@]}" >>"${log:-$work/quelto.log}" 2>&1 & # its own process, so it can be stopped
    quelto_pid=$!
    pids+=("$quelto_pid")
}
stop_quelto() { kill "$quelto_pid"; wait "$quelto_pid" || true; }
shortcuts=$XDG_CONFIG_HOME/kglobalshortcutsrc
bound() { grep -q '^toggle-panel=Ctrl+Alt+M,' "$shortcuts" 2>/dev/null; }
visible() { xdotool search --onlyvisible --name '^Quelto$' >/dev/null 2>&1; }
hidden() { ! visible; }
# Ctrl (29), Alt (56), M (50), as evdev codes.
keys() { "$fakekeys" 29 56 50; }
# What the desktop's own settings do: Activated without Deactivated, stamped 0.
invoke() {
    dbus-send --session --type=method_call --dest=org.kde.kglobalaccel "/component/$token" \
        org.kde.kglobalaccel.Component.invokeShortcut string:toggle-panel
}
# Each press (`keys` or `invoke`) must flip the panel once.
press_and_count() {
    local want
    for i in $(seq "$1"); do
        if visible; then want=hidden; else want=visible; fi
        "$2" || fail "$2 refused"
        wait_for 5 "press $i did not make the panel $want" $want
        sleep 0.6 # a second toggle from the same press would show by now
        $want || fail "press $i toggled twice"
    done
}

run_quelto
wait_for 15 "the desktop bound no Ctrl+Alt+M for Quelto" bound
token=$(sed -n 's/^portalSessionToken=//p' "$app/.config/Quelto/Quelto.conf")
[ -n "$token" ] || fail "no session token kept"
press_and_count 5 keys
press_and_count 3 invoke
stop_quelto

# Restarted with a screen reader's bus, through which Settings is read.
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/a11y.log" 2>&1 &
pids+=($!)
wait_for 10 "no accessibility bus" has_name org.a11y.Bus
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 run_quelto
sleep 3
press_and_count 3 keys
[ "$(grep -c '^\[quelto_' "$shortcuts")" = 1 ] || fail "a restart made another desktop entry: $(grep '^\[quelto_' "$shortcuts")"
grep -q "^\[$token\]" "$shortcuts" || fail "the entry is not the kept token $token"
if hidden; then keys; fi
wait_for 5 "the panel did not show" visible
"$fakekeys" 29 51 # Ctrl+, opens Settings
shows() {
    /usr/bin/python3 - "$1" <<'PY'
import sys, pyatspi
found = lambda a: pyatspi.findDescendant(a, lambda d: d is not None and d.name == sys.argv[1])
sys.exit(0 if any(app and found(app) for app in pyatspi.Registry.getDesktop(0)) else 1)
PY
}
wait_for 10 "Settings does not show the bound Ctrl+Alt+M" shows "Shortcut: Ctrl+Alt+M"
stop_quelto

# Native Wayland: shown, hidden and shown again while its first show holds its size
# fixed for the compositor, it can be resized once settled, and no frame the
# compositor chose is kept.
frames=$(grep -c '^panel.frame' "$app/.config/Quelto/Quelto.conf" || true)
export QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client
unset DISPLAY
log=$work/native.log
run_quelto
count() { grep -c "$1" "$log" || true; }
shown() { [ "$(count 'new id xdg_toplevel')" -gt "$(count 'xdg_toplevel@[0-9]*\.destroy()')" ]; }
gone() { ! shown; }
toggle() { "${user[@]}" --toggle 2>/dev/null || fail "--toggle failed"; }
sleep 2
if shown; then toggle; fi
wait_for 5 "the panel did not hide" gone
toggle
wait_for 5 "no Wayland toplevel for the panel" grep -q 'set_title("Quelto")' "$log"
sleep 1
toggle && toggle
sleep 0.7
last() { grep -n "$1" "$log" | tail -1 | cut -d: -f1; }
[ "$(last 'set_max_size(0, 0)')" -gt "$(last 'set_max_size(440, 380)')" ] ||
    fail "the panel stayed fixed-size"
stop_quelto
[ "$(grep -c '^panel.frame' "$app/.config/Quelto/Quelto.conf" || true)" = "$frames" ] ||
    fail "a frame the compositor chose was kept"
echo "PASS: 11 presses, 11 toggles; bound Ctrl+Alt+M as $token, shown in Settings, one entry after a restart"
