#!/usr/bin/env python3
"""Writes licences.html, the page a visitor of the web page reaches by its
link "Licences": what each file of the folder that holds code holds and
under which licences (from the archive's licence table), every licence
text in the folder, and where Tolvane's source is.

Usage: licences_page.py TABLE FOLDER VERSION PROJECT_URL OUT
  TABLE   the licence table (packaging/web/licences.txt)
  FOLDER  the licence texts laid out as in the archive (links will do)
  OUT     the page to write
"""
import html
import os
import pathlib
import sys

PAGE = """<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Tolvane {version}: licences</title>
<link rel="icon" href="tolvane.svg" type="image/svg+xml">
<style>body {{ max-width: 50em; margin: 1em auto; padding: 0 1em; font: 16px/1.4 sans-serif; }}
td, th {{ text-align: left; vertical-align: top; padding: 0.2em 0.6em 0.2em 0; }}</style>
</head>
<body>
<h1>Tolvane {version}: licences</h1>
<p><a href="./">Back to Tolvane</a> · <a href="readme.txt">Manual (readme.txt)</a></p>
<p>Tolvane is free software under the MIT licence
(<a href="LICENSE">LICENSE</a>): its page, its scripts and its tables'
program, tolvane.wasm. Built into tolvane.wasm are parts of emscripten's
C and C++ run-time libraries, under the MIT and other permissive licences,
whose notices are in <a href="runtime-licences/emscripten-copyright.txt">runtime-licences/emscripten-copyright.txt</a>.
Nothing in this folder asks whoever publishes it to publish a source
beside it. Every release of Tolvane and its source:
<a href="{url}">{url}</a>.</p>

<h2>What each file holds</h2>
<table>
<tr><th>File</th><th>Licences and notices</th></tr>
{rows}
</table>

<h2>Every licence text in this folder</h2>
<ul>
{texts}
</ul>
</body>
</html>
"""


def link(path):
    return f'<a href="{html.escape(path)}">{html.escape(path)}</a>'


def files_in(folder, path):
    """The files of a folder of the archive, as paths in it."""
    return sorted(pathlib.Path(root, name).relative_to(folder).as_posix()
                  for root, _, names in os.walk(folder / path, followlinks=True)
                  for name in names)


def main(table, folder, version, url, out):
    folder = pathlib.Path(folder)
    rows = []
    for line in pathlib.Path(table).read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        file, *licences = line.split()
        cells = "<br>".join(link(licence) for licence in licences)
        rows.append(f"<tr><td>{html.escape(file)}</td><td>{cells}</td></tr>")
    texts = [f"<li>{link(path)}</li>" for path in files_in(folder, ".")]
    pathlib.Path(out).write_text(PAGE.format(version=html.escape(version), url=html.escape(url),
                                             rows="\n".join(rows), texts="\n".join(texts)))


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
