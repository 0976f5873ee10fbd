"""Orca in Firefox ESR hears the page as the desktop window is heard.

In a private session (dbus-run-session, an Xvfb, the accessibility bus,
Orca writing what it says to a debug file) Firefox opens the page with a
fresh profile. Tab moves from the output box to the disk-space list: Orca
says the list's name, and Where Am I (keypad Enter) its number of choices;
eight more Tabs reach Calculate, Space presses it, and Orca says the amount
payable, which the page's status region announces. Whether Orca also reads
the output box's new text on its own (it is not focused) is printed.
Everything it starts it ends; every wait is bounded.

Usage: orca.py [--site DIR]   (default build/web)
"""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "session"))
from sessions import (Failure, end, rerun_in_private_session, start, wait_for,  # noqa: E402
                      x_server, xdotool)

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SESSION_SECONDS = 100
UTTERANCE = re.compile(r"SPEECH OUTPUT: '(.*)' ?\{")
LIST_NAME = "Дисково пространство {Mb]: Размер combo box"
PAYABLE = "Сума за плащане: 18,6"
REPORT_START = "Дисково пространство {Mb]: 10"
# A fresh profile that opens the page at once, in Bulgarian, asking nothing
# and fetching nothing of its own.
PREFERENCES = {
    "intl.accept_languages": "bg", "intl.locale.requested": "bg",
    "browser.shell.checkDefaultBrowser": False, "browser.aboutwelcome.enabled": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False, "app.update.auto": False,
    "browser.safebrowsing.malware.enabled": False, "browser.safebrowsing.phishing.enabled": False,
    "network.captive-portal-service.enabled": False, "extensions.update.enabled": False,
}


def spoken(log_path):
    """What Orca has said so far, one utterance an entry."""
    try:
        with open(log_path, encoding="utf-8", errors="replace") as log:
            return [found.group(1) for found in map(UTTERANCE.search, log) if found]
    except FileNotFoundError:
        return []


def hear(environment, log_path, words, seconds, after=0):
    """Waits until Orca says something containing `words`, past utterance
    number `after`; returns the count of utterances by then. Orca writes its
    debug file in blocks, so a Shift press, which it logs at length, now and
    then pushes out what it has said."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        so_far = spoken(log_path)
        if any(words in text for text in so_far[after:]):
            return len(so_far)
        time.sleep(1)
        xdotool(environment, "key", "shift")
    raise Failure(f"gave up after {seconds} s waiting for Orca to say {words!r}; it said "
                  f"{spoken(log_path)[after:]}")


def what_firefox_did(firefox, log_path, environment):
    """Whether Firefox still runs, the windows it shows and its last words."""
    state = "runs" if firefox.poll() is None else f"ended with status {firefox.returncode}"
    windows = [xdotool(environment, "getwindowname", window).strip() for window in
               xdotool(environment, "search", "--onlyvisible", "--name", ".").split()]
    with open(log_path, encoding="utf-8", errors="replace") as log:
        said = log.read()[-1500:]
    return f"Firefox {state}, shows the windows {windows} and wrote:\n{said}"


def drive(site, work):
    with x_server() as display:
        environment = dict(os.environ, DISPLAY=display, GNOME_ACCESSIBILITY="1")
        bus = start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                    env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server = start(["/usr/bin/python3", os.path.join(ROOT, "scripts", "serve-web.py"),
                        "--port", "0", site], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                       text=True)
        processes = [bus, server]
        try:
            url = wait_for(server.stdout.readline, 10, "the web server").strip()
            log = os.path.join(work, "orca.log")
            # Orca in English, so that its own words ("combo box", "1 of 21")
            # are the ones looked for; the page and Firefox speak Bulgarian.
            orca_environment = dict(environment, LC_ALL="C.UTF-8", LANGUAGE="en")
            processes.append(start(["orca", "--replace", f"--debug-file={log}"], env=orca_environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

            profile = os.path.join(work, "profile")
            os.mkdir(profile)
            with open(os.path.join(profile, "user.js"), "w", encoding="utf-8") as prefs:
                for name, value in PREFERENCES.items():
                    prefs.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
            firefox_log = os.path.join(work, "firefox.log")
            with open(firefox_log, "w", encoding="utf-8") as output:
                firefox = start(["firefox-esr", "--no-remote", "--profile", profile, url],
                                env=environment, stdout=output, stderr=subprocess.STDOUT)
            processes.append(firefox)
            try:
                window = wait_for(lambda: xdotool(environment, "search", "--onlyvisible",
                                                  "--name", "Vostrel").split(), 40,
                                  "Firefox's window")[0]
            except Failure as failure:
                raise Failure(f"{failure}; {what_firefox_did(firefox, firefox_log, environment)}")
            xdotool(environment, "windowfocus", "--sync", window)
            count = hear(environment, log, "Focus mode", 30)  # in the output box

            xdotool(environment, "key", "Tab")
            count = hear(environment, log, LIST_NAME, 10, count)
            xdotool(environment, "key", "KP_Enter")  # Where Am I
            count = hear(environment, log, "1 of 21", 10, count)
            for _ in range(8):
                xdotool(environment, "key", "Tab")
            # Orca 43 calls it a "push button", Orca 48 a "button".
            count = hear(environment, log, "Изчисли", 20, count)
            pressed = count
            xdotool(environment, "key", "space")
            hear(environment, log, PAYABLE, 10, count)
            subprocess.run(["orca", "--quit"], env=orca_environment, timeout=10, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            said = spoken(log)
            for line in [text for text in said if LIST_NAME in text or "of 21" in text
                         or PAYABLE in text]:
                print(f"Orca said: {line!r}")
            report_read = any(REPORT_START in text for text in said[pressed:])
            print("the output box's new text was " + ("spoken" if report_read else
                  "not spoken on its own (only the status region's amount payable was)"))
        finally:
            for process in reversed(processes):
                end(process)


def time_out(*_):
    raise Failure(f"the session took longer than {SESSION_SECONDS} s")


def main():
    arguments = sys.argv[1:]
    if arguments[:1] == ["--inside"]:
        signal.signal(signal.SIGALRM, time_out)
        signal.alarm(SESSION_SECONDS)
        try:
            drive(arguments[1], os.environ["XDG_RUNTIME_DIR"])
        except Failure as failure:
            print(f"FAIL: {failure}", file=sys.stderr)
            return 1
        print("Orca heard the list's name and choices and the amount payable")
        return 0

    site = os.path.abspath(arguments[arguments.index("--site") + 1] if "--site" in arguments
                           else os.path.join(ROOT, "build", "web"))
    if not os.path.isfile(os.path.join(site, "index.html")):
        print(f"no web build in {site}: scripts/build-web.sh writes one")
        return 0
    for tool in ("dbus-run-session", "Xvfb", "xdotool", "orca", "firefox-esr",
                 "/usr/libexec/at-spi-bus-launcher"):
        if shutil.which(tool) is None:
            print(f"FAIL: {tool} is missing; scripts/install-deps.sh web-test installs it",
                  file=sys.stderr)
            return 1
    return rerun_in_private_session(__file__, [site], "vostrel-orca-", SESSION_SECONDS + 15,
                                    unset=("MOZ_HEADLESS",))

if __name__ == "__main__":
    sys.exit(main())
