#!/usr/bin/python3
"""Checks that the notices of the code built into Qt in an unpacked archive
(qt-licences/ID/) are exactly those whose code is in a shipped file, judged
from the shipped files' own bytes by the markers of MARKERS: each file of
the licence table whose bytes hold an ID's code must have that notice in
the archive and named on its line, and each notice in the archive or on a
line must be of code that its files hold.

Usage: notices_in_code.py FOLDER TABLE MARKERS
"""
import codecs
import pathlib
import re
import struct
import sys


def signed_leb128(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        if (value == 0 and not byte & 0x40) or (value == -1 and byte & 0x40):
            out.append(byte)
            return bytes(out)
        out.append(byte | 0x80)


def constant_forms(value, width):
    """A constant as data, and as a WebAssembly i32.const or i64.const
    immediate, or that of its negation."""
    bits = 8 * width
    signed = value - (1 << bits) if value >> (bits - 1) else value
    opcode = b"\x41" if width == 4 else b"\x42"
    forms = [value.to_bytes(width, "little"), opcode + signed_leb128(signed)]
    if -signed < 1 << (bits - 1):
        forms.append(opcode + signed_leb128(-signed))
    return forms


def byte_forms(marker):
    """The byte strings any of which is the marker found."""
    kind, _, value = marker.partition(":")
    if kind == "text":
        return [codecs.decode(value, "unicode_escape").encode("latin-1")]
    if kind == "hex":
        return [bytes.fromhex(value)]
    if kind in ("u32", "u64"):
        return constant_forms(int(value, 0), 4 if kind == "u32" else 8)
    if kind == "f64":
        data = struct.pack("<d", float(value))
        return [data, b"\x44" + data]
    raise ValueError(f"unknown marker {marker}")


def read_markers(path):
    markers = {}
    for line in pathlib.Path(path).read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            notice, *rest = line.split()
            markers[notice] = rest
    return markers


def holds(data, notice, markers, failures, file):
    """Whether the bytes hold the notice's code; markers found only in part
    are a failure of their own."""
    own = markers[notice]
    if own[0].startswith("with:"):
        return holds(data, own[0][5:], markers, failures, file)
    found = [any(form in data for form in byte_forms(marker)) for marker in own]
    if any(found) and not all(found):
        failures.append(f"{file}: only some markers of {notice} found: a marker is stale")
    return all(found)


def main(folder, table, markers_path):
    folder = pathlib.Path(folder)
    markers = read_markers(markers_path)
    # An archive without Qt has no notices of Qt's, and its files must hold
    # none of Qt's code.
    notices = folder / "qt-licences"
    shipped = {path.name for path in notices.iterdir() if path.is_dir()} if notices.is_dir() else set()
    failures = [f"no marker tells whether the code of {notice} is in a shipped file"
                for notice in sorted(shipped - markers.keys())]
    held_anywhere = set()
    for line in pathlib.Path(table).read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        file, *licences = line.split()
        named = {m.group(1) for m in (re.fullmatch(r"qt-licences/([^/]+)/", licence)
                                      for licence in licences) if m}
        data = (folder / file).read_bytes()
        held = {notice for notice in markers if holds(data, notice, markers, failures, file)}
        held_anywhere |= held
        failures += [f"{file} holds the code of {notice}, but its line does not name it"
                     for notice in sorted(held - named)]
        failures += [f"{file}: its line names {notice}, whose code it does not hold"
                     for notice in sorted(named - held)]
    failures += [f"qt-licences/{notice}/ is in the archive, but no shipped file holds its code"
                 for notice in sorted(shipped - held_anywhere)]
    failures += [f"a shipped file holds the code of {notice}, but qt-licences/{notice}/ "
                 "is not in the archive" for notice in sorted(held_anywhere - shipped)]
    if failures:
        sys.exit("\n".join(failures))
    print(f"The notices of Qt's code in the archive are those its files hold: {len(shipped)}")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
