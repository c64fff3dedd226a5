#!/usr/bin/python3
"""Checks the offline copy's version that web/stamp.py gives the worker:
the same files and worker give the same version, to the byte; a change to
one file, or to the worker's code alone, gives another, so that a release
never installs into the copy the page is using.

Usage: stamp_test.py SOURCE_DIR
"""
import pathlib
import re
import subprocess
import sys
import tempfile


def version(stamp, template, files, scratch):
    out = scratch / "service-worker.js"
    subprocess.run([sys.executable, stamp, "worker", template, out, "1.3",
                    *[f"{name}={path}" for name, path in files.items()]], check=True)
    return re.search(r'const VERSION = "([^"]*)"', out.read_text()).group(1)


def main(source):
    stamp = source / "web" / "stamp.py"
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        page, worker = scratch / "index.html", scratch / "worker.js.in"
        page.write_text("<p>Tolvane</p>")
        worker.write_text((source / "web" / "service-worker.js.in").read_text())
        built = [version(stamp, worker, {"index.html": page}, scratch) for _ in range(2)]
        page.write_text("<p>Tolvane!</p>")
        page_changed = version(stamp, worker, {"index.html": page}, scratch)
        worker.write_text(worker.read_text() + "// a worker of the next release\n")
        worker_changed = version(stamp, worker, {"index.html": page}, scratch)
    if built[0] != built[1]:
        sys.exit(f"FAIL: the same files gave the versions {built}")
    if len({built[0], page_changed, worker_changed}) != 3:
        sys.exit(f"FAIL: a changed file or worker kept its version: {built[0]}, {page_changed},"
                 f" {worker_changed}")
    print("The offline copy's version changes with every file and with the worker alone")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(pathlib.Path(sys.argv[1]))
