#!/usr/bin/python3
"""Puts a checkout's page script and offline worker over an unzipped web
archive, with the digests the build would give them, the worker's version
named anew: how tools/mutants.sh --web tries a fault of the page without
building the archive again.

Usage: replant.py SITE_DIR CHECKOUT
"""
import json
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent.parent / "web"))
from stamp import integrity, script  # noqa: E402


def main(site, checkout):
    script(checkout / "web" / "tolvane.js", site / "tolvane.js")
    page = site / "index.html"
    page.write_text(re.sub(r'(src: "tolvane.js", integrity: )"[^"]*"',
                           rf'\1"{integrity(site / "tolvane.js")}"', page.read_text()))
    worker = site / "service-worker.js"
    built = worker.read_text()
    version = re.search(r'const VERSION = "([^"]*)"', built).group(1)
    files = json.loads(re.search(r"const FILES = (\{.*?\});", built, re.S).group(1))
    digests = json.dumps({name: integrity(site / name) for name in files}, indent=2,
                         sort_keys=True)
    worker.write_text((checkout / "web" / "service-worker.js.in").read_text()
                      .replace("@PAGE_VERSION@", version + "-replanted")
                      .replace("@PAGE_FILES@", digests))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]))
