#!/usr/bin/python3
"""The README's quick start through the accessibility bus (AT-SPI) alone, as a
screen reader or a voice-control tool works the program: every control is
found by its accessible name, text is set through the text interface, list
entries and buttons are pressed through their actions, and the messages are
read from the accessibility tree. On the way it finds the frame "In the game"
by its controls' names, picks DSAG through the Block list's entry and back,
and reads the picture's line from its description; the package must be the
one ormel-pray makes of the example's document, byte for byte. It also counts
the focusable controls without a unique name and the controls without a
description in every window.

    xvfb-run -a dbus-run-session -- /usr/bin/python3 scripts/a11y-walkthrough.py PROGRAM_FOLDER

PROGRAM_FOLDER holds the program (`ormel`, `ormel-pray`) and the example agent folder
Lantern; afterwards it holds Lantern.agent. Needs python3-pyatspi and
at-spi2-core. Exits non-zero, saying why, when a step fails."""
import os
import subprocess
import sys
import time

import pyatspi

FORM = [  # (accessible name, what to do)
    ("Name", "Lantern"),
    ("Script", "lantern"),
    ("File row 1", "untick"),
    ("File row 2", "tick"),
    ("File row 2 name", "lantern"),
    ("File row 2 type", ".c16"),
    ("File row 5", "tick"),
    ("File row 5 name", "glow"),
    ("File row 5 type", ".wav"),
    ("Image", "lantern"),
    ("Bioenergy", "20"),
]
IN_THE_GAME = ["Block", "Description", "First Image", "Picture"]
SUCCESS = "Lantern.agent was created successfully."
EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "Lantern")


def fail(message):
    sys.exit("a11y-walkthrough: " + message)


def wait_for(what, find, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    fail("no " + what)


def descendants(root):
    try:
        for child in root:
            if child is None:
                continue
            yield child
            yield from descendants(child)
    except Exception:  # a window that closed while we walked it
        return


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def windows(app):
    return [w for w in app if w is not None and w.getState().contains(pyatspi.STATE_SHOWING)]


def named(app, name, role=None):
    for window in windows(app):
        for node in [window, *descendants(window)]:
            if node.name == name and (role is None or node.getRoleName() == role):
                return node
    return None


def press(node, action="Press"):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        fail(f"{node.name!r} offers {names}, not {action!r}")
    actions.doAction(names.index(action))


def set_text(node, text):
    if node.getRoleName() == "combo box":  # its text box is the child with the text
        node = next(c for c in node if c.getRoleName() == "text")
    node.queryEditableText().setTextContents(text)


def fill(app, name, value):
    node = wait_for(repr(name), lambda: named(app, name))
    role = node.getRoleName()
    if role == "check box":
        checked = node.getState().contains(pyatspi.STATE_CHECKED)
        if checked != (value == "tick"):
            press(node, "Toggle")
    elif role == "combo box" and value.startswith("."):
        entry = next((e for e in node if e.name == value), None) or fail(f"{name}: no {value}")
        press(entry)
    else:
        set_text(node, value)


def pick(app, list_name, entry_start):
    entry = next((e for e in named(app, list_name) if e.name.startswith(entry_start)), None)
    press(entry or fail(f"{list_name}: no {entry_start}"))


def in_the_game(app):
    """What a screen reader finds in the frame, and the Block list at work."""
    for name in IN_THE_GAME:
        node = wait_for(repr(name), lambda: named(app, name))
        print(f"{name}: {node.getRoleName()}, {node.description!r}")
    pick(app, "Block", "DSAG")
    bioenergy = named(app, "Bioenergy")
    wait_for("Bioenergy disabled by DSAG",
             lambda: not bioenergy.getState().contains(pyatspi.STATE_ENABLED))
    print("DSAG picked; Bioenergy disabled:", repr(bioenergy.description))
    pick(app, "Block", "AGNT")
    picture = named(app, "Picture")
    wait_for("picture of lantern.c16", lambda: picture.description.startswith("lantern.c16"))
    print("Picture's line:", picture.description)


def count_faults(app):
    """Focusable controls without a unique name, controls without a description."""
    nameless, undescribed, seen = [], [], {}
    for window in windows(app):
        for node in descendants(window):
            states = node.getState()
            if not states.contains(pyatspi.STATE_FOCUSABLE) or node.parent.getRoleName() == "combo box":
                continue
            key = (window.name, node.name)
            if not node.name.strip() or key in seen:
                nameless.append(key)
            seen[key] = True
            if not node.description.strip():
                undescribed.append(key)
    return nameless, undescribed


def main():
    if len(sys.argv) != 2:
        fail("usage: a11y-walkthrough.py PROGRAM_FOLDER")
    folder = os.path.abspath(sys.argv[1])
    package = os.path.join(folder, "Lantern.agent")
    if os.path.exists(package):
        os.remove(package)
    expected = os.path.join(folder, "expected.agent.tmp")
    subprocess.run([os.path.join(folder, "ormel-pray"), os.path.join(EXAMPLE, "Lantern.txt"),
                    "-o", expected], check=True)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    program = subprocess.Popen([os.path.join(folder, "ormel")], env=env)
    try:
        app = wait_for("program on the accessibility bus", lambda: application(program.pid))
        wait_for("main window", lambda: named(app, "Commands"))
        report = {"main window": count_faults(app)}
        for name, value in FORM:
            fill(app, name, value)
        in_the_game(app)
        press(named(app, "Compile", "push button"))
        dialog = wait_for("Compile? dialog", lambda: named(app, "Compile?", "dialog"))
        report["Compile?"] = count_faults(app)
        checklist = next(n for n in descendants(dialog) if n.name == "Checklist")
        print("Checklist:", checklist.queryText().getText(0, -1).splitlines()[0])
        press(named(app, "OK", "push button"))
        progress = wait_for("progress window", lambda: next(
            (w for w in app if w is not None and w.name == "Compiling..."), None), 5)
        bar = next(n for n in descendants(progress) if n.getRoleName() == "progress bar")
        print(f"Progress: {progress.getRoleName()} {progress.name!r}, "
              f"{bar.getRoleName()} {bar.name!r} at {bar.queryValue().currentValue:g} of 10")
        message = wait_for("success message", lambda: named(app, SUCCESS))
        print("Read:", message.name)
        box = message.parent
        while box.getRoleName() not in ("dialog", "alert", "window"):
            box = box.parent
        ok = next(n for n in descendants(box) if n.name == "OK" and n.getRoleName() == "push button")
        press(ok)
        wait_for("closed message", lambda: named(app, SUCCESS) is None)
        for window, (nameless, undescribed) in report.items():
            print(f"{window}: {len(nameless)} focusable without a unique name {nameless}, "
                  f"{len(undescribed)} without a description {undescribed}")
        if not os.path.isfile(package):
            fail("no " + package)
        with open(package, "rb") as made, open(expected, "rb") as example:
            if made.read() != example.read():
                fail(package + " is not the example's package, byte for byte")
        print("Made:", package, os.path.getsize(package), "bytes, the example's package")
        if any(n or u for n, u in report.values()):
            fail("controls without a unique name or a description")
    finally:
        if os.path.exists(expected):
            os.remove(expected)
        program.terminate()
        program.wait()


if __name__ == "__main__":
    main()
