#!/usr/bin/python3
"""Checks what web/stamp.py writes: the offline copy's version, the same
for the same files and worker, another when one file or the worker's code
alone changes, so that a release never installs into the copy the page is
using; and the page's script without its lines that are only comments.

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
        source = scratch / "tolvane.js"
        source.write_text('  // why\nconst a = "//";  // how\n// why\n')
        subprocess.run([sys.executable, stamp, "script", source, page], check=True)
        shipped = page.read_text()
    if shipped != 'const a = "//";  // how\n':
        sys.exit(f"FAIL: the script shipped as {shipped!r}")
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
