#!/usr/bin/env python3
"""Checks the Windows package's files themselves, without running them:
vostrel.exe is a GUI program that carries its version record ("1.00") and
an icon group with a 32 x 32 image of 256 colours, and every DLL that it or
any DLL beside it imports is either in the package or part of Windows.

    pe_check.py PACKAGE.zip OBJDUMP
"""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

# The version record's fields, as Explorer's Details tab shows them.
VERSION_FIELDS = {
    "FileVersion": "1.00",
    "ProductVersion": "1.00",
    "ProductName": "Vostrel",
    "OriginalFilename": "vostrel.exe",
    "FileDescription": "Vostrel, monthly web-hosting fee calculator",
}

# DLLs that every Windows 10 and 11 installation has; Qt and the MinGW
# runtime need no others.
WINDOWS_DLLS = {
    "advapi32.dll", "authz.dll", "comctl32.dll", "comdlg32.dll", "d3d11.dll", "d3d12.dll",
    "d3d9.dll", "d2d1.dll", "dwmapi.dll", "dwrite.dll", "dxgi.dll", "gdi32.dll",
    "imm32.dll", "kernel32.dll", "mpr.dll", "msvcrt.dll", "netapi32.dll", "ntdll.dll",
    "ole32.dll", "oleaut32.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "userenv.dll", "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll",
    "wtsapi32.dll", "crypt32.dll", "bcrypt.dll", "secur32.dll",
}


def fail(message):
    print(f"pe_check: {message}", file=sys.stderr)
    sys.exit(1)


def tool(*argv):
    return subprocess.run(argv, capture_output=True, check=True, timeout=60).stdout


def version_strings(program):
    """The version record's strings: UTF-16 key, padding, UTF-16 value."""
    record = tool("wrestool", "--extract", "--raw", "--type=version", program).decode("utf-16-le", "replace")
    found = {}
    for key in VERSION_FIELDS:
        match = re.search(re.escape(key) + r"\x00+([^\x00]*)", record)
        found[key] = match.group(1) if match else None
    return found


def icon_entries(program, scratch):
    group = os.path.join(scratch, "group.ico")
    with open(group, "wb") as out:
        out.write(tool("wrestool", "--extract", "--type=group_icon", program))
    return tool("icotool", "--list", group).decode()


def imports(objdump, binary):
    text = tool(objdump, "--private-headers", binary).decode(errors="replace")
    return [name.lower() for name in re.findall(r"DLL Name: (\S+)", text)]


def main():
    package_zip, objdump = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="vostrel-pe-") as scratch:
        with zipfile.ZipFile(package_zip) as package:
            package.extractall(scratch)
        (folder,) = [os.path.join(scratch, name) for name in os.listdir(scratch)]
        program = os.path.join(folder, "vostrel.exe")

        headers = tool(objdump, "--private-headers", program).decode(errors="replace")
        if not re.search(r"Subsystem\s+00000002", headers):
            fail("vostrel.exe is not a GUI program (subsystem 2): a console would open")

        for key, value in version_strings(program).items():
            if value != VERSION_FIELDS[key]:
                fail(f"version record: {key} is {value!r}, not {VERSION_FIELDS[key]!r}")

        entries = icon_entries(program, scratch)
        if not re.search(r"--width=32 --height=32 --bit-depth=8 --palette-size=256", entries):
            fail(f"no 32 x 32 image of 256 colours in the icon group:\n{entries}")

        shipped = {}
        for directory, _, files in os.walk(folder):
            for name in files:
                if name.lower().endswith((".exe", ".dll")):
                    shipped[name.lower()] = os.path.join(directory, name)
        missing = []
        for name, path in sorted(shipped.items()):
            for dll in imports(objdump, path):
                if dll not in shipped and dll not in WINDOWS_DLLS and \
                        not dll.startswith("api-ms-win-"):
                    missing.append(f"{name} imports {dll}")
        if missing:
            fail("imports neither in the package nor part of Windows:\n  " + "\n  ".join(missing))
        print(f"vostrel.exe: GUI, version 1.00, icon group with a 32 x 32 256-colour image; "
              f"{len(shipped)} binaries, every import resolved")
    return 0


if __name__ == "__main__":
    sys.exit(main())
