#!/usr/bin/env python3
"""Compares a rebuilt release with a downloaded one, file by file.

Usage: compare_release.py REBUILT DOWNLOADED

Prints, for each file of DOWNLOADED, "identical" or how it differs: which
entries of a zip, else where the bytes part. A signed installer is compared
with its signature removed (osslsigncode), for the rebuilt one was packed
around the same signed program but could not be signed without the key.
SHA256SUMS must match DOWNLOADED's files; SHA256SUMS.asc is a signature,
checked with gpgv and the signer's key, not rebuilt. Exit status 0 when
every file is identical, 1 otherwise.
"""

import hashlib
import os
import subprocess
import sys
import tempfile
import zipfile
import zlib

SIGNATURE = "SHA256SUMS.asc"


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def first_difference(a, b):
    with open(a, "rb") as f:
        x = f.read()
    with open(b, "rb") as f:
        y = f.read()
    at = next((i for i, (p, q) in enumerate(zip(x, y)) if p != q), min(len(x), len(y)))
    return f"bytes differ from offset {at} ({len(x)} bytes rebuilt, {len(y)} here)"


def entry(archive, info):
    """An entry's content, time and mode; None where it does not unpack."""
    try:
        return archive.read(info), info.date_time, info.external_attr
    except (zipfile.BadZipFile, zlib.error, OSError, EOFError):
        return None


def zip_difference(a, b):
    try:
        with zipfile.ZipFile(a) as x, zipfile.ZipFile(b) as y:
            ours = {i.filename: i for i in x.infolist()}
            theirs = {i.filename: i for i in y.infolist()}
            notes = [f"{n}: only rebuilt" for n in sorted(ours.keys() - theirs.keys())]
            notes += [f"{n}: only here" for n in sorted(theirs.keys() - ours.keys())]
            for n in sorted(ours.keys() & theirs.keys()):
                here = entry(y, theirs[n])
                if here is None:
                    notes.append(f"{n}: damaged here")
                elif entry(x, ours[n]) != here:
                    notes.append(f"{n}: differs")
    except zipfile.BadZipFile as error:
        notes = [f"not a zip here ({error})"]
    return "; ".join(notes) or first_difference(a, b) + " (the entries are the same)"


def unsigned_copy(path, folder):
    copy = os.path.join(folder, os.path.basename(path))
    subprocess.run(["osslsigncode", "remove-signature", "-in", path, "-out", copy],
                   check=True, stdout=subprocess.DEVNULL, timeout=120)
    return copy


def verdict(rebuilt, downloaded, name, scratch):
    ours, theirs = os.path.join(rebuilt, name), os.path.join(downloaded, name)
    if name == SIGNATURE:
        return "a signature, not rebuilt: gpgv --keyring KEY SHA256SUMS.asc SHA256SUMS"
    if name == "SHA256SUMS":
        listed = dict(reversed(line.split()) for line in open(theirs) if line.strip())
        wrong = [n for n, h in listed.items()
                 if not os.path.exists(os.path.join(downloaded, n))
                 or sha256(os.path.join(downloaded, n)) != h]
        return "matches every file it lists" if not wrong else "wrong for " + ", ".join(wrong)
    if not os.path.exists(ours):
        return "differs: the rebuild has no such file"
    if name.endswith("-signed-setup.exe"):
        theirs = unsigned_copy(theirs, scratch)
    if sha256(ours) == sha256(theirs):
        return "identical" + (" (its signature removed)" if name.endswith("-signed-setup.exe") else "")
    how = zip_difference(ours, theirs) if name.endswith(".zip") else first_difference(ours, theirs)
    return f"differs: {how}; diffoscope {ours} {theirs} shows it in full"


def main(rebuilt, downloaded):
    good = True
    with tempfile.TemporaryDirectory() as scratch:
        for name in sorted(os.listdir(downloaded)):
            result = verdict(rebuilt, downloaded, name, scratch)
            good &= not result.startswith(("differs", "wrong"))
            print(f"{name}: {result}")
    return 0 if good else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
