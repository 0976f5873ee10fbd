"""The whole job done through the accessibility bus, as a screen reader would.

Starts, in a private runtime directory, a session bus (dbus-run-session), the
accessibility bus (at-spi-bus-launcher), an Xvfb and the real program, then
drives the program with an AT-SPI client: chooses "400" in the disk-space
list through the entry's Toggle action and "6" in the period list through the
table interface, types a price, presses Calculate and reads the report back.
Everything it starts it ends; every wait is bounded.

Usage: atspi_session.py PROGRAM
"""

import os
import shutil
import signal
import subprocess
import sys

from sessions import Failure, end, rerun_in_private_session, start, wait_for, x_server

SESSION_SECONDS = 60

EXPECTED_REPORT = (
    "Дисково пространство {Mb]: 100\n"
    "Брой сайтове: 2\n"
    "Брой MySQL бази данни: 0,5\n"
    "Период на обслужване [м]: 18\n"
    "Обща сума без ДДС: 120,5\n"
    "Дължимо ДДС: 24,1\n"
    "Сума за плащане: 144,6\n"
)


def find(root, role, name):
    """The descendant of `root` with role `role` (a pyatspi.ROLE_* constant,
    whose spoken name differs between AT-SPI releases) and name `name`."""
    import pyatspi
    found = pyatspi.findDescendant(
        root, lambda node: node is not None and node.getRole() == role and node.name == name)
    if found is None:
        raise Failure(f"no {role} named {name!r}")
    return found


def do_action(node, name):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == name:
            action.doAction(i)
            return
    raise Failure(f"{node.name!r} has no action {name!r}")


def chosen(listing):
    """The name of the one entry the list reports selected, if one."""
    import pyatspi
    selected = [item.name for item in listing if item.getState().contains(pyatspi.STATE_SELECTED)]
    return selected[0] if len(selected) == 1 else None


def check_list(listing, expected):
    """The chosen entry is the one selected and the one showing; where the
    list has a description (before Qt 6.8), it is the chosen entry too."""
    import pyatspi
    selected = [item.name for item in listing if item.getState().contains(pyatspi.STATE_SELECTED)]
    showing = [item.name for item in listing if item.getState().contains(pyatspi.STATE_SHOWING)]
    described = listing.description
    if selected != [expected] or showing != [expected] or described not in ("", expected):
        raise Failure(f"{listing.name!r}: selected {selected}, showing {showing}, "
                      f"description {described!r}; expected {expected!r} throughout")


def drive(program, display):
    import pyatspi
    from gi.repository import Atspi

    environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LC_ALL="bg_BG.UTF-8")
    app_process = start([program], env=environment)
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait_for(lambda: next((a for a in desktop if a is not None and a.name == "Vostrel"),
                                    None), 20, "the program on the accessibility bus")
        app.set_cache_mask(Atspi.Cache.NONE)  # read every state afresh
        frame = wait_for(lambda: app.childCount and app[0], 10, "the window")

        disk = find(frame, pyatspi.ROLE_LIST, "Дисково пространство {Mb]: Размер")
        do_action(find(disk, pyatspi.ROLE_LIST_ITEM, "400"), "Toggle")
        wait_for(lambda: chosen(disk) == "400", 5, "the disk-space list to follow")
        check_list(disk, "400")

        period = find(frame, pyatspi.ROLE_LIST, "Период на обслужване [м]: Размер")
        period.queryTable().addRowSelection(5)
        wait_for(lambda: chosen(period) == "6", 5, "the period list to follow")
        check_list(period, "6")

        price = find(frame, pyatspi.ROLE_TEXT, "Дисково пространство {Mb]: Цена")
        price.queryEditableText().setTextContents("0.25")

        report = find(frame, pyatspi.ROLE_TEXT, "Отчет").queryText()
        do_action(find(frame, pyatspi.ROLE_PUSH_BUTTON, "Изчисли"), "Press")
        text = wait_for(lambda: (lambda t: t if t.count("\n") == 7 else None)(
            report.getText(0, -1)), 10, "the report")
        if text != EXPECTED_REPORT:
            raise Failure(f"report read back:\n{text}\nexpected:\n{EXPECTED_REPORT}")
        if report.caretOffset != 0:
            raise Failure(f"the report's caret stands at {report.caretOffset}, not at its start")
        line, _, _ = report.getTextAtOffset(0, pyatspi.TEXT_BOUNDARY_LINE_START)
        if line.rstrip("\n") != "Дисково пространство {Mb]: 100":
            raise Failure(f"the report's first line reads {line!r}")
    finally:
        end(app_process)


def inside_session(program):
    """Runs on the private session bus that dbus-run-session made."""
    with x_server() as display:
        on_accessibility_bus(program, display)


def on_accessibility_bus(program, display):
    bus = start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                env=dict(os.environ, DISPLAY=display),
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        has_owner = ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                     "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                     "string:org.a11y.Bus"]
        wait_for(lambda: "true" in subprocess.run(has_owner, capture_output=True, text=True,
                                                  timeout=5).stdout,
                 10, "the accessibility bus")
        drive(program, display)
    finally:
        end(bus)


def time_out(*_):
    raise Failure(f"the session took longer than {SESSION_SECONDS} s")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--inside":
        # A hung bus call must not outlive the session: time out through the
        # cleanup, not around it.
        signal.signal(signal.SIGALRM, time_out)
        signal.alarm(SESSION_SECONDS)
        try:
            inside_session(sys.argv[2])
        except Failure as failure:
            print(f"FAIL: {failure}", file=sys.stderr)
            return 1
        print("the report was chosen, calculated and read through AT-SPI")
        return 0

    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    for tool in ("dbus-run-session", "dbus-send", "Xvfb", "/usr/libexec/at-spi-bus-launcher"):
        if shutil.which(tool) is None:
            print(f"FAIL: {tool} is missing; scripts/install-deps.sh installs it", file=sys.stderr)
            return 1
    return rerun_in_private_session(__file__, [os.path.abspath(sys.argv[1])], "vostrel-atspi-",
                                    SESSION_SECONDS + 15, unset=("QT_QPA_PLATFORM",))

if __name__ == "__main__":
    sys.exit(main())
