#!/usr/bin/env python3
"""Checks that the README and docs/*.md name only what exists: each relative
link's file (and heading, given a #fragment), and each backticked name of the
repository's: one whose first word, less "./", starts with a top-level folder
of the repository (`scripts/test.sh`; not `build/...`, `/usr/...`, `bin/`),
or is a bare .sh, .py, .cmake, .cpp, .h or .md file name that some folder
holds; in a block of commands, each word that starts with "./". A part in
capitals (`VERSION-OPTIONS`) is a placeholder, not a path.

    doc_links.py REPOSITORY
"""

import glob
import os
import re
import sys

FENCE = re.compile(r"^```.*?^```", re.M | re.S)
PLACEHOLDER = re.compile(r"[A-Z0-9_-]*[A-Z]{2}[A-Z0-9_-]*")
SOURCE_FILE = re.compile(r"[\w.-]+\.(sh|py|cmake|cpp|h|md)")


def headings(path):
    """The ids GitHub gives a Markdown file's headings."""
    with open(path, encoding="utf-8") as text:
        return {re.sub(r"[^\w\- ]", "", line.lstrip("#").strip().lower()).replace(" ", "-")
                for line in text if line.startswith("#")}


def faults(root):
    with open(os.path.join(root, ".gitignore"), encoding="utf-8") as ignore:
        ignored = set(re.findall(r"^/([^/\s]+)/$", ignore.read(), re.M))
    folders = {name for name in os.listdir(root) if os.path.isdir(os.path.join(root, name))
               and name != ".git" and name not in ignored}
    names = {file for top in folders for _, _, files in os.walk(os.path.join(root, top)) for file in files}
    for doc in ["README.md"] + sorted(glob.glob("docs/*.md", root_dir=root)):
        with open(os.path.join(root, doc), encoding="utf-8") as text:
            whole = text.read()
        prose = FENCE.sub("", whole)
        # In a block of commands, what is run from the repository root.
        commands = [word for block in FENCE.findall(whole) for word in block.split() if word.startswith("./")]
        for link in re.findall(r"\]\(([^)\s]+)\)", prose):
            if re.match(r"[a-z]+:", link):
                continue
            target, _, heading = link.partition("#")
            target = os.path.normpath(os.path.join(os.path.dirname(doc), target)) if target else doc
            if not os.path.exists(os.path.join(root, target)):
                yield f"{doc}: the link ({link}) leads to {target}, which does not exist"
            elif heading and target.endswith(".md") and heading not in headings(os.path.join(root, target)):
                yield f"{doc}: the link ({link}) names a heading that {target} does not have"
        for name in re.findall(r"`([^`]+)`", prose) + commands:
            path = name.split()[0].removeprefix("./")
            if any(PLACEHOLDER.fullmatch(part) for part in path.split("/")):
                continue
            if "/" in path and path.split("/")[0] in folders and not glob.glob(os.path.join(root, path)):
                yield f"{doc}: `{name}` names {path}, which is not in the repository"
            elif SOURCE_FILE.fullmatch(path) and path not in names:
                yield f"{doc}: `{name}` names {path}, which no folder of the repository holds"


if __name__ == "__main__":
    found = list(faults(sys.argv[1]))
    for fault in found:
        print(f"doc_links: {fault}", file=sys.stderr)
    sys.exit(1 if found else 0)
