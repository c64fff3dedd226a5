#!/usr/bin/env python3
"""Writes what Qt's licence and the licences of the code built into Qt ask
of whoever passes a Qt on, into OUT_DIR: the LGPL with the GPL it builds
on, how and from what exact source this Qt was built, Debian's record of
every file's copyright, and, for each of qtbase's attribution entries that
covers a file the build read, its notice and licence files, with the text
of every licence its LicenseId names.

Usage: qt_notices.py QT_PREFIX OUT_DIR
QT_PREFIX is a Qt that tools/qt/build-qt.sh built: its licensing/ folder
holds the source files and the list of qtbase files the build read.
"""
import json
import pathlib
import posixpath
import re
import shutil
import sys
import tarfile

# Code the compiler reads; an entry naming only other files (fonts, colour
# profiles, shaders, data) is taken as used when anything in its folder is.
CODE_SUFFIXES = {".c", ".cc", ".cpp", ".cxx", ".h", ".hpp", ".m", ".mm", ".macros"}
LICENCE_OPERATORS = {"AND", "OR", "WITH"}
ALWAYS = ["LGPL-3.0-only", "GPL-3.0-only"]


def read_tarball(path, wanted):
    """The text of every member whose path (below the top folder) wanted() takes."""
    texts = {}
    with tarfile.open(path) as tar:
        for member in tar:
            name = member.name.split("/", 1)[-1]
            if member.isfile() and wanted(name):
                texts[name] = tar.extractfile(member).read()
    return texts


def attribution_entries(texts):
    for path, text in sorted(texts.items()):
        if posixpath.basename(path) != "qt_attribution.json":
            continue
        # Some of them carry line breaks inside strings.
        entries = json.loads(text.decode("utf-8"), strict=False)
        for entry in entries if isinstance(entries, list) else [entries]:
            yield posixpath.dirname(path), entry


def words(value):
    if value is None:
        return []
    if isinstance(value, str):
        return value.split()
    return [word for item in value for word in item.split()]


def covers(folder, entry, files_read):
    named = [posixpath.normpath(posixpath.join(folder, f)) for f in words(entry.get("Files"))]
    if any(f in files_read for f in named):
        return True
    if any(posixpath.splitext(f)[1] in CODE_SUFFIXES for f in named):
        return False
    return any(f.startswith(folder + "/") for f in files_read)


def licence_ids(expression):
    return [w for w in re.split(r"[\s()]+", expression) if w and w not in LICENCE_OPERATORS]


def main(prefix, out):
    licensing = pathlib.Path(prefix) / "licensing"
    # Qt's build reads the attribution files of what it builds as well;
    # only the code and data it read count here.
    files_read = {f for f in (licensing / "files-read.txt").read_text().split()
                  if posixpath.basename(f) != "qt_attribution.json"}
    orig = next((licensing / "source").glob("*.orig.tar.*"))
    debian = next((licensing / "source").glob("*.debian.tar.*"))
    texts = read_tarball(orig, lambda name: name.startswith(("src/", "LICENSES/")) and (
        name.endswith(("qt_attribution.json", ".txt"))
        or re.search(r"licen[cs]e|copying", posixpath.basename(name), re.IGNORECASE)))
    texts.update(read_tarball(debian, lambda name: name == "copyright"))

    out = pathlib.Path(out)
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    shutil.copy(licensing / "qt-source.txt", out / "qt-source.txt")
    (out / "debian-copyright.txt").write_bytes(texts["copyright"])
    needed = set(ALWAYS)
    missing = []
    for folder, entry in attribution_entries(texts):
        if not covers(folder, entry, files_read):
            continue
        notice = out / entry["Id"]
        notice.mkdir()
        own = words(entry.get("LicenseFile")) + words(entry.get("LicenseFiles"))
        for name in own:
            path = posixpath.normpath(posixpath.join(folder, name))
            if path not in texts:
                missing.append(f"{entry['Id']}: its licence file {path}")
                continue
            (notice / posixpath.basename(path)).write_bytes(texts[path])
        (notice / "qt_attribution.json").write_text(json.dumps(entry, indent=2) + "\n")
        for licence in licence_ids(entry["LicenseId"]):
            if f"LICENSES/{licence}.txt" in texts:
                needed.add(licence)
            elif not own:
                missing.append(f"{entry['Id']}: the text of {licence}")
    for licence in sorted(needed):
        text = texts.get(f"LICENSES/{licence}.txt")
        if text is None:
            missing.append(f"Qt itself: the text of {licence}")
        else:
            (out / f"{licence}.txt").write_bytes(text)
    if missing:
        sys.exit("No licence text for " + "; ".join(missing))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
