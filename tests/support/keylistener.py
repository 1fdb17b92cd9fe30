#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A screen reader on the accessibility bus, as far as keys go: listens to focus
# changes (applications send their keys only while some event is listened to) and to
# every key, consumes nothing, and prints each key press it is shown ("ready" once
# registered).
import sys

import pyatspi


def seen(event):
    if event.type == pyatspi.KEY_PRESSED_EVENT:
        print("pressed", event.id, flush=True)
    return False


pyatspi.Registry.registerEventListener(lambda event: None, "object:state-changed:focused")
pyatspi.Registry.registerKeystrokeListener(
    seen, mask=pyatspi.allModifiers(), kind=(pyatspi.KEY_PRESSED_EVENT, pyatspi.KEY_RELEASED_EVENT))
print("ready", flush=True)
sys.exit(pyatspi.Registry.start())
