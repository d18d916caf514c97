#!/usr/bin/python3
"""Reads Twinseek's windows through the accessibility bus, as a screen reader
does, and finds what a screen reader user would be told wrongly.

  read-aloud.py check --pid PID --window REGEX [--expect REGEX]... [--timeout SECONDS]
      Waits until every expected text is read (the whole name of some shown
      part of the windows whose title matches), then fails on a name that
      looks like an identifier, on a control without a name, and on an
      expected text still unread at the timeout.
  read-aloud.py where --pid PID --name REGEX [--timeout SECONDS]
      Prints "X Y", the middle of the first shown part read by that name.

Needs python3-pyatspi and an accessibility bus in the session (dbus-launch).
"""
import argparse
import re
import sys
import time

import pyatspi

APPLICATION = "Twinseek"
# "statusPane0", "scan_counts": one word with a capital or a digit inside, or
# an underscore. A path ("/usr/lib/x86_64-linux-gnu") is what a label shows.
IDENTIFIER = re.compile(r"^[^\s/]*([a-z][A-Z]|[A-Za-z][0-9]|_)[^\s/]*$")
# Parts a user works with: each must be read by a name.
CONTROLS = {"push button", "toggle button", "check box", "radio button", "menu item", "page tab",
            "combo box", "spin button", "table", "tree", "tree table", "list", "slider"}
# Data: file names may look like anything.
DATA = {"table cell", "table column header", "table row header", "list item", "tree item"}
MOST_CHILDREN = 200


def application(pid, timeout):
    """The program of that process: one that has ended may still be listed a while."""
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.name == APPLICATION and app.get_process_id() == pid:
                    return app
            except Exception:  # gone while asked
                pass
        time.sleep(0.5)
    sys.exit("read-aloud: %s (process %d) is not on the accessibility bus" % (APPLICATION, pid))


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def shown_parts(node, inside_data=False):
    """Every shown part below node, with whether it is data of a list or tree."""
    for index in range(min(node.childCount, MOST_CHILDREN)):
        child = node.getChildAtIndex(index)
        if child is None or not showing(child):
            continue
        role = child.getRoleName()
        data = inside_data or role in DATA
        yield child, role, data
        yield from shown_parts(child, data)


def windows(app, title):
    pattern = re.compile(title)
    return [w for w in app if w is not None and showing(w) and pattern.fullmatch(w.name or "")]


def read(app, title):
    """(names read, faults) of the shown windows whose title matches."""
    names, faults = set(), []
    for window in windows(app, title):
        names.add(window.name)
        for part, role, data in shown_parts(window):
            name = part.name or ""
            names.add(name)
            if data:
                continue
            where = "%s %r in %r" % (role, name, window.name)
            if IDENTIFIER.match(name):
                faults.append("reads like an identifier: " + where)
            if role in CONTROLS and not name:
                faults.append("a control without a name: %s in %r" % (role, window.name))
    return names, faults


def check(arguments):
    app = application(arguments.pid, arguments.timeout)
    expected = [re.compile(text) for text in arguments.expect]
    end = time.time() + arguments.timeout
    while True:
        try:
            names, faults = read(app, arguments.window)
            unread = [e.pattern for e in expected if not any(e.fullmatch(name) for name in names)]
        except Exception as error:  # a part went away while it was read
            names, faults, unread = set(), ["could not read: %s" % error], ["(everything)"]
        if (names and not unread) or time.time() > end:
            break
        time.sleep(0.5)
    faults += ["a text a user sees is not read: %r" % text for text in unread]
    if unread:
        faults += ["the windows shown then: %s" % ", ".join(
            "%s %r" % (w.getRoleName(), w.name) for w in app if w is not None and showing(w))]
    for fault in faults:
        print("read-aloud: %s" % fault)
    print("read-aloud: %s: %d parts read, %d faults" % (arguments.window, len(names), len(faults)))
    return 1 if faults else 0


def where(arguments):
    app = application(arguments.pid, arguments.timeout)
    pattern = re.compile(arguments.name)
    end = time.time() + arguments.timeout
    while time.time() < end:
        for window in windows(app, ".*"):
            for part, _, _ in shown_parts(window):
                if pattern.fullmatch(part.name or ""):
                    box = part.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    print(box.x + box.width // 2, box.y + box.height // 2)
                    return 0
        time.sleep(0.5)
    print("read-aloud: nothing shown reads %r" % arguments.name, file=sys.stderr)
    return 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    shared = argparse.ArgumentParser(add_help=False)
    shared.add_argument("--pid", type=int, required=True)
    shared.add_argument("--timeout", type=float, default=60)
    checking = commands.add_parser("check", parents=[shared])
    checking.add_argument("--window", required=True)
    checking.add_argument("--expect", action="append", default=[])
    commands.add_parser("where", parents=[shared]).add_argument("--name", required=True)
    arguments = parser.parse_args()
    return check(arguments) if arguments.command == "check" else where(arguments)


if __name__ == "__main__":
    sys.exit(main())
