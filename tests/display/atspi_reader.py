#!/usr/bin/python3
"""A screen reader's view of the drawn player, through AT-SPI with pyatspi (a reader we
did not write). Runs the player command given as arguments (it must read its commands
from standard input) with Qt's AT-SPI bridge on, enables the Brindle window, and once
the window's Save button is on the bus and the controls have settled, prints every control
of the player's windows as

    control ROLE|NAME|DESCRIPTION|LABELLED-BY

then presses Save through the player's own command and prints each change of name it
hears as "name-change ROLE|NAME", until the status line says the file was saved. Exits
0 when it heard that and the player then quit cleanly; 1 otherwise."""
import os
import subprocess
import sys

import pyatspi
from gi.repository import GLib

ROLES = {"text", "combo box", "push button", "slider", "list", "status bar", "label",
         "menu item"}
TIME_LIMIT_SECONDS = 60
POLL_MILLISECONDS = 50

player = subprocess.Popen(sys.argv[1:], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                          text=True,
                          env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
state = {"pressed": False, "saved": False, "lines": None}


def send(command):
    player.stdin.write(command + "\n")
    player.stdin.flush()


def line(node):
    labels = [relation.getTarget(0).name for relation in node.getRelationSet()
              if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    return "|".join([node.getRoleName(), node.name, node.description] + labels[:1])


def walk(node, found):
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is None:
            continue
        if child.getRoleName() in ROLES:
            found.append(child)
        walk(child, found)


def player_application():
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.get_process_id() == player.pid:
            return application
    return None


def heard(event):
    print("name-change " + line(event.source), flush=True)
    if state["pressed"] and event.source.name.endswith("\u2014 saved"):
        state["saved"] = True
        pyatspi.Registry.stop()


def poll():
    if state["pressed"]:
        return True
    application = player_application()
    controls = []
    if application is not None:
        walk(application, controls)
    if not any(c.getRoleName() == "push button" and c.name == "Save" for c in controls):
        return True
    # The window's controls reach the bus one by one, their names and labels after them:
    # what is read is what two polls in a row agree on.
    lines = [line(control) for control in controls]
    if lines != state["lines"]:
        state["lines"] = lines
        return True
    for text in lines:
        print("control " + text, flush=True)
    state["pressed"] = True
    send("widget-press Save")
    return False


pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name")
send("enable")
GLib.timeout_add(POLL_MILLISECONDS, poll)
GLib.timeout_add_seconds(TIME_LIMIT_SECONDS, pyatspi.Registry.stop)
pyatspi.Registry.start()
player.stdin.close()
status = player.wait(timeout=TIME_LIMIT_SECONDS)
if status != 0:
    print("player exit status %d" % status, flush=True)
sys.exit(0 if state["saved"] and status == 0 else 1)
