#!/usr/bin/env python3
"""The real vostrel.exe of the Windows package as a screen reader on Windows
meets it, over UI Automation: starts the program under Wine on a private
Xvfb in a fresh prefix and reads its tree with uia_tree.exe (uia_tree.cpp).

Every control must be there once with its control type and name, and the
hidden box not at all; each list must hold all its choices as list items,
in order, with only the chosen one on screen. Then Tab is pressed through
the window from the output box, and the keyboard focus UI Automation
reports must follow the window's tab order; in the disk-space list, Down
twice must bring "300" on screen and give it the focus.

    wine_uia.py PACKAGE.zip UIA_TREE.exe

Wine's UI Automation client navigates into a program's own elements from
Wine 9 on; with an older Wine the check is skipped (exit status 77), saying
which Wine it found. Wine does not say whether an entry is selected
(SelectionItem's IsSelected); where it does, only the chosen entry may be.
"""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "session"))
import sessions  # noqa: E402
import wine  # noqa: E402

SKIPPED = 77
TITLE_END = "Vostrel"
OUTPUT_BOX = (232, 252)  # its centre, in client pixels
DISK = "Дисково пространство {Mb]:"
COUNTS = [str(n) for n in range(1, 13)]
# (caption, choices), top to bottom.
ROWS = [(DISK, [str(n) for n in range(100, 2200, 100)]),
        ("Брой сайтове:", COUNTS),
        ("Брой MySQL бази данни:", COUNTS),
        ("Период на обслужване [м]:", COUNTS)]
# The window's own elements: (control type, name).
CONTROLS = sorted(
    [("Text", heading) for heading in ("Тарифи месечно за хостинг [лв.]", "Вид услуга",
                                       "Размер", "Цена")]
    + [(kind, caption + suffix) for caption, _ in ROWS
       for kind, suffix in (("Text", ""), ("List", " Размер"), ("Edit", " Цена"))]
    + [("Button", "Изчисли"), ("Button", "Изчисти"), ("Edit", "Отчет")])
# Where Tab takes the focus, from the output box round to it again.
TAB_ORDER = (["Отчет"] + [caption + suffix for caption, _ in ROWS
                          for suffix in (" Размер", " Цена")]
             + ["Изчисли", "Изчисти", "Отчет"])


class Element:
    def __init__(self, line):
        depth, self.kind, self.offscreen, self.focused, self.selected, name = line.split("\t", 5)
        self.depth = int(depth)
        self.name = re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(
            m.group(1), m.group(1)), name)
        self.children = []


def read_tree(client, environment, depth=2):
    """The window's element, its descendants under `children`, down to
    `depth` levels below it."""
    result = wine.run(["wine", client, TITLE_END, str(depth)], environment, 60,
                      capture_output=True)
    if result.returncode != 0:
        raise sessions.Failure(f"uia_tree: status {result.returncode}: "
                               f"{result.stderr.decode('utf-8', 'replace')[-2000:]}")
    path = []
    for line in result.stdout.decode("utf-8").splitlines():
        element = Element(line)
        del path[element.depth:]
        if path:
            path[-1].children.append(element)
        path.append(element)
    if not path:
        raise sessions.Failure("uia_tree printed no element")
    return path[0]


def check_tree(window, chosen):
    """The controls, and each list's entries with `chosen[caption]` on screen."""
    found = sorted((child.kind, child.name) for child in window.children)
    if window.kind != "Window" or found != CONTROLS:
        raise sessions.Failure(f"the window ({window.kind}) holds {found}, not {CONTROLS}")
    lists = {child.name: child for child in window.children if child.kind == "List"}
    for caption, choices in ROWS:
        entries = lists[caption + " Размер"].children
        names = [entry.name for entry in entries]
        kinds = {entry.kind for entry in entries}
        on_screen = [entry.name for entry in entries if entry.offscreen == "0"]
        selected = [entry.name for entry in entries if entry.selected == "1"]
        told = any(entry.selected != "-" for entry in entries)
        if (names != choices or kinds != {"ListItem"} or on_screen != [chosen[caption]]
                or (told and selected != [chosen[caption]])):
            raise sessions.Failure(f"{caption} list: entries {names} ({kinds}), on screen "
                                   f"{on_screen}, selected {selected if told else 'not told'}; "
                                   f"expected {choices} with {chosen[caption]!r} alone")
    return {caption: len(lists[caption + " Размер"].children) for caption, _ in ROWS}


def focus(window):
    """The names of the controls that have the keyboard focus, and of the
    entries that do within them."""
    return ([child.name for child in window.children if child.focused == "1"],
            [entry.name for child in window.children for entry in child.children
             if entry.focused == "1"])


def check(program_dir, client):
    with sessions.x_server() as display:
        os.environ.update(LC_ALL="bg_BG.UTF-8", LANG="bg_BG.UTF-8")
        with wine.prefix(display=display) as environment:
            with tempfile.TemporaryFile("a+b") as stderr:
                started, window_id = wine.start_with_window(
                    ["wine", os.path.join(program_dir, "vostrel.exe")], environment, stderr,
                    f" {TITLE_END}$", 90, "the window")
                try:
                    counts = walk(client, environment, window_id)
                finally:
                    sessions.end(started)
    print(f"UI Automation: {len(CONTROLS)} controls; list items "
          f"{', '.join(str(n) for n in counts.values())}, one on screen in each; "
          f"the focus followed {len(TAB_ORDER) - 1} Tab presses round the window")


def walk(client, environment, window_id):
    """Reads the tree, then tabs round the window; returns each list's
    number of entries."""
    def press(*keys):
        sessions.xdotool(environment, "key", "--window", window_id, *keys)

    def await_focus(controls, entries, what):
        seen = []

        def reached():
            tree = read_tree(client, environment, 1 if entries is None else 2)
            seen[:] = [focus(tree)]
            return tree if seen[0][0] == controls and entries in (None, seen[0][1]) else None
        try:
            return sessions.wait_for(reached, 30, what)
        except sessions.Failure as failure:
            raise sessions.Failure(f"{failure}; (controls, entries) focused: {seen}") from None

    chosen = {caption: choices[0] for caption, choices in ROWS}
    counts = check_tree(read_tree(client, environment), chosen)
    sessions.xdotool(environment, "mousemove", "--window", window_id, *map(str, OUTPUT_BOX),
                     "click", "1")
    for step, expected in enumerate(TAB_ORDER):
        if step > 0:
            press("Tab")
        await_focus([expected], None, f"the focus on {expected!r} after {step} Tab presses")
        if expected == DISK + " Размер":
            press("Down", "Down")
            chosen[DISK] = "300"
            check_tree(await_focus([expected], ["300"], "the focus on the entry 300"), chosen)
    return counts


def wine_major():
    version = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                             timeout=60, check=False).stdout.strip()
    found = re.match(r"wine-(\d+)\.", version)
    return (int(found.group(1)) if found else 0), version


def main():
    major, version = wine_major()
    if major < 9:
        print(f"wine_uia: skipped: {version or 'no Wine'} found; Wine's UI Automation client "
              "reaches a program's own elements from Wine 9 on (scripts/check-wine.sh runs "
              "this check under Debian 13's Wine 10)")
        return SKIPPED
    try:
        with tempfile.TemporaryDirectory(prefix="vostrel-zip-") as scratch:
            with zipfile.ZipFile(sys.argv[1]) as package:
                package.extractall(scratch)
            (folder,) = os.listdir(scratch)
            check(os.path.join(scratch, folder), os.path.abspath(sys.argv[2]))
    except (sessions.Failure, subprocess.TimeoutExpired) as failure:
        print(f"wine_uia ({version}): {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
