#!/usr/bin/env python3
"""Stamps the page's files with the digests of what they load, so that no
file of one version ever runs beside another's: a browser refuses a file
whose bytes do not match the digest it was given (its integrity).

  stamp.py index TEMPLATE WINDOW SCRIPT PROGRAM OUT [NAME=VALUE ...]
      index.html from its template: @WINDOW_HTML@ and @WINDOW_CSS@ from
      WINDOW.html and WINDOW.css, @SCRIPT_INTEGRITY@ and
      @PROGRAM_INTEGRITY@ the digests of SCRIPT and PROGRAM, @NAME@ each
      VALUE given
  stamp.py script SOURCE OUT
      the page's script as browsers get it: without the lines that are
      only comments, which are for its readers (a third of its download)
  stamp.py worker TEMPLATE OUT VERSION NAME=FILE ...
      the offline copy's worker: @PAGE_FILES@ every file the page needs,
      by its name in the folder, with its digest; @PAGE_VERSION@ VERSION
      and a digest of them all and of the worker's code, so that any change
      is a new version
"""
import base64
import hashlib
import json
import pathlib
import re
import sys


def integrity(path):
    return "sha256-" + base64.b64encode(hashlib.sha256(path.read_bytes()).digest()).decode()


def fill(template, values):
    text = template.read_text()
    for name, value in values.items():
        text = text.replace(f"@{name}@", value)
    if re.search(r"@[A-Z_]+@", text):
        sys.exit(f"stamp.py: {template} has a placeholder left")
    return text


def index(template, window, script, program, out, *settings):
    values = dict(setting.split("=", 1) for setting in settings)
    window = pathlib.Path(window)
    values["WINDOW_HTML"] = window.with_suffix(".html").read_text()
    values["WINDOW_CSS"] = window.with_suffix(".css").read_text()
    values["SCRIPT_INTEGRITY"] = integrity(pathlib.Path(script))
    values["PROGRAM_INTEGRITY"] = integrity(pathlib.Path(program))
    pathlib.Path(out).write_text(fill(pathlib.Path(template), values))


def script(source, out):
    lines = pathlib.Path(source).read_text().splitlines(keepends=True)
    pathlib.Path(out).write_text("".join(
        line for line in lines if not line.lstrip().startswith("//")))


def worker(template, out, version, *files):
    digests = {}
    for entry in sorted(files):
        name, path = entry.split("=", 1)
        digests[name] = integrity(pathlib.Path(path))
    listed = json.dumps(digests, indent=2, sort_keys=True)
    # The worker's own code is part of the version too: a release that
    # changes only the worker keeps its files in a copy of its own.
    code = pathlib.Path(template).read_bytes()
    whole = hashlib.sha256(listed.encode() + code).hexdigest()[:16]
    pathlib.Path(out).write_text(fill(pathlib.Path(template), {
        "PAGE_VERSION": f"{version}-{whole}", "PAGE_FILES": listed}))


if __name__ == "__main__":
    commands = {"index": index, "script": script, "worker": worker}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
