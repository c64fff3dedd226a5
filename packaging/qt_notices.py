#!/usr/bin/env python3
"""Writes what Qt's licence and the licences of the code built into Qt ask
of whoever passes a Qt on, into OUT_DIR: the LGPL with the GPL it builds
on, how and from what exact source this Qt was built, Debian's record of
every file's copyright, and, for each notice of Qt's attribution entries
that the archive's licence table names (qt-licences/ID/), its notice and
licence files, with the text of every licence its LicenseId names. Which
notices a shipped file needs, the table says and
tests/archive_licences_test.sh proves against the shipped files.

Usage: qt_notices.py QT_PREFIX TABLE OUT_DIR
QT_PREFIX is a Qt that tools/qt/build-qt.sh built: its licensing/ folder
holds the source files.
"""
import json
import pathlib
import posixpath
import re
import shutil
import sys
import tarfile

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


def named_notices(table):
    """The IDs of qt-licences/ID/ that the table names."""
    named = set()
    for line in pathlib.Path(table).read_text().splitlines():
        if line.startswith("#"):
            continue
        named.update(re.findall(r"(?:^|\s)qt-licences/([^/\s]+)/", line))
    return named


def licence_ids(expression):
    return [w for w in re.split(r"[\s()]+", expression) if w and w not in LICENCE_OPERATORS]


def main(prefix, table, out):
    licensing = pathlib.Path(prefix) / "licensing"
    wanted = named_notices(table)
    orig = next((licensing / "source").glob("*.orig.tar.*"))
    debian = next((licensing / "source").glob("*.debian.tar.*"))
    # Generated code comes from util/ (the gradient presets, for one).
    texts = read_tarball(orig, lambda name: name.startswith(("src/", "util/", "LICENSES/")) and (
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
        if entry["Id"] not in wanted:
            continue
        wanted.discard(entry["Id"])
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
    missing += [f"{name}: no attribution entry of that name in Qt's source"
                for name in sorted(wanted)]
    if missing:
        sys.exit("No licence text for " + "; ".join(missing))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
