#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Reads Pelorin's windows over AT-SPI as a screen reader does (pyatspi).

  screen_reader.py tree          prints every accessible of the program, one a line:
                                 depth, role, name, description, actions, extents in screen
                                 pixels and "showing" (with the key of each action)
  screen_reader.py press NAME    runs the first action of the showing accessible named NAME
  screen_reader.py focus SECONDS prints, for that long, each accessible that takes the focus
                                 or each window activated, as Orca hears of them:
                                 event, role, name, description

Exits 1 when the program is not on the bus, or nothing showing has that name.
"""
import sys

import pyatspi


def Program():
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        application = desktop.getChildAtIndex(index)
        if application is not None and application.name == "Pelorin":
            return application
    return None


def Actions(node):
    try:
        actions = node.queryAction()
    except NotImplementedError:
        return []
    return [f"{actions.getName(i)}:{actions.getKeyBinding(i)}" for i in range(actions.nActions)]


def Extents(node):
    try:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    except NotImplementedError:
        return ""
    return f"{box.x},{box.y},{box.width},{box.height}"


def Walk(node, depth, visit):
    visit(node, depth)
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            Walk(child, depth + 1, visit)


def PrintLine(node, depth):
    showing = node.getState().contains(pyatspi.STATE_SHOWING)
    description = node.description.replace("\n", "/")
    print(f"{depth}|{node.getRoleName()}|{node.name}|{description}|{' '.join(Actions(node))}|"
          f"{Extents(node)}|{'showing' if showing else 'hidden'}")


def Press(program, name):
    found = []

    def Visit(node, depth):
        if (not found and node.name == name and Actions(node)
                and node.getState().contains(pyatspi.STATE_SHOWING)):
            found.append(node)

    Walk(program, 0, Visit)
    if not found:
        return False
    return found[0].queryAction().doAction(0)


def Listen(seconds):
    from gi.repository import GLib

    def Heard(event):
        if event.type.startswith("window:") or event.detail1 == 1:
            source = event.source
            description = source.description.replace("\n", "/")
            print(f"{event.type}|{source.getRoleName()}|{source.name}|{description}", flush=True)

    pyatspi.Registry.registerEventListener(Heard, "object:state-changed:focused",
                                           "window:activate")
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    print("listening", flush=True)
    pyatspi.Registry.start()
    return 0


def Main():
    if sys.argv[1] == "focus":
        return Listen(float(sys.argv[2]))
    program = Program()
    if program is None:
        return 1
    if sys.argv[1] == "tree":
        Walk(program, 0, PrintLine)
        return 0
    return 0 if Press(program, sys.argv[2]) else 1


if __name__ == "__main__":
    sys.exit(Main())
