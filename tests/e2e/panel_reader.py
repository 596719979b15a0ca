#!/usr/bin/python3
"""Reads a program's windows through AT-SPI, as a screen reader does.

  panel_reader.py PID tree        one line per element: depth, role, name, value, description, focused
  panel_reader.py PID press NAME  runs the first action of the push button called NAME
"""
import sys

import pyatspi


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    sys.exit(f"no accessible application of process {pid}")


def walk(node, depth=0):
    yield depth, node
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def line(depth, node):
    try:
        value = "%g" % node.queryValue().currentValue
    except NotImplementedError:
        value = ""
    focused = "focused" if node.getState().contains(pyatspi.STATE_FOCUSED) else ""
    name = node.name.replace("\n", " ")
    description = node.description.replace("\n", " ")
    return f"{depth}|{node.getRoleName()}|{name}|{value}|{description}|{focused}"


def main():
    pid, command = int(sys.argv[1]), sys.argv[2]
    nodes = list(walk(application(pid)))
    if command == "tree":
        for depth, node in nodes:
            print(line(depth, node))
    elif command == "press":
        buttons = [node for _, node in nodes if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == sys.argv[3]]
        if not buttons:
            sys.exit(f"no push button called {sys.argv[3]}")
        buttons[0].queryAction().doAction(0)


main()
