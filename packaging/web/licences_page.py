#!/usr/bin/env python3
"""Writes licences.html, the page a visitor of the web page reaches by its
link "Licences and source": what each file of the folder that holds code
holds and under which licences (from the archive's licence table), every
licence text in the folder, and where the Corresponding Source is.

Usage: licences_page.py TABLE FOLDER VERSION PROJECT_URL OUT
  TABLE   the licence table (packaging/web/licences.txt)
  FOLDER  the licence texts laid out as in the archive (links will do)
  OUT     the page to write
"""
import html
import json
import os
import pathlib
import sys

PAGE = """<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Tolvane {version}: licences and source</title>
<link rel="icon" href="tolvane.svg" type="image/svg+xml">
<style>body {{ max-width: 50em; margin: 1em auto; padding: 0 1em; font: 16px/1.4 sans-serif; }}
td, th {{ text-align: left; vertical-align: top; padding: 0.2em 0.6em 0.2em 0; }}</style>
</head>
<body>
<h1>Tolvane {version}: licences and source</h1>
<p><a href="./">Back to Tolvane</a> · <a href="readme.txt">Manual (readme.txt)</a></p>
<p>Tolvane's own code is free software under the MIT licence
(<a href="LICENSE">LICENSE</a>). In this page it runs on Qt: Qt's Core, Gui
and Widgets under the GNU Lesser General Public License, version 3, and Qt's
platform code for the browser and its loader, qtloader.js, under the GNU
General Public License, version 3. The page as a whole is therefore passed
on under the GPL&nbsp;3, which the MIT licence of Tolvane's own code allows.</p>

<h2>The source</h2>
<p>The Corresponding Source of this page is published beside it, as the
GPL&nbsp;3 asks: the exact source of its Qt (Debian's qt6-base source
package with Tolvane's change to Qt's browser platform,
<code>qt6-base-web.patch</code>, in the folder <code>qt-source</code> of the
release) and Tolvane's own
source (<code>tolvane-source.tar.gz</code>), from which the page can be built
again with a changed or another Qt. How this Qt was configured and built:
<a href="qt-licences/qt-source.txt">qt-source.txt</a>. Every release of
Tolvane and its sources: <a href="{url}">{url}</a>. Whoever publishes this
folder must publish both sources beside it, or give the written offer that
section 6 of the GPL&nbsp;3 describes.</p>

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


def cell(folder, path):
    """A licence file, or a notice folder of Qt's by its attribution's name
    with each of its files (a static host lists no folder)."""
    if not path.endswith("/"):
        return link(path)
    entry = json.loads((folder / path / "qt_attribution.json").read_text())
    files = ", ".join(f'<a href="{html.escape(f)}">{html.escape(f.rsplit("/", 1)[1])}</a>'
                      for f in files_in(folder, path))
    return f"{html.escape(entry['Name'])} ({html.escape(entry['LicenseId'])}): {files}"


def main(table, folder, version, url, out):
    folder = pathlib.Path(folder)
    rows = []
    for line in pathlib.Path(table).read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        file, *licences = line.split()
        cells = "<br>".join(cell(folder, licence) for licence in licences)
        rows.append(f"<tr><td>{html.escape(file)}</td><td>{cells}</td></tr>")
    texts = [f"<li>{link(path)}</li>" for path in files_in(folder, ".")]
    pathlib.Path(out).write_text(PAGE.format(version=html.escape(version), url=html.escape(url),
                                             rows="\n".join(rows), texts="\n".join(texts)))


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
