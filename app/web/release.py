# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""Makes a built site one release, at build time.

  release.py page <index.html> <main.js> <site>   writes the page into the
      site with its script inline, in place of the tag that loads it, and
      the hashes of its inline styles and script in its
      Content-Security-Policy, so that the policy allows those and nothing
      else inline;
  release.py stamp <sw.js.in> <site>    names the release after the SHA-256
      of every file of the site (all but the worker, the release file and
      the licence text) and writes the worker, which keeps exactly those
      files and checks each of them against its hash, and release.txt, the
      release's name that the page asks the server for to learn of a new
      release."""

import base64
import hashlib
import json
import pathlib
import re
import sys

OUTSIDE = {'sw.js', 'release.txt', 'LICENSE.txt'}


SCRIPT_TAG = '<script src="main.js"></script>'


def hashes(texts):
    return ' '.join("'sha256-%s'" % base64.b64encode(hashlib.sha256(text.encode()).digest()).decode()
                    for text in texts)


def page(source, script, site):
    text = pathlib.Path(source).read_text(encoding='utf-8')
    code = pathlib.Path(script).read_text(encoding='utf-8')
    # The script is part of the page's first paint: the page shows the
    # title screen fitted and listening without another request, which a
    # returning visitor's worker would also have to answer.
    if text.count(SCRIPT_TAG) != 1 or re.search(r'</script|<!--', code, re.I):
        sys.exit(f'{source}: no single {SCRIPT_TAG}, or {script} cannot stand inline')
    text = text.replace(SCRIPT_TAG, f'<script>{code}</script>')
    styles = re.findall(r'<style>(.*?)</style>', text, re.S)
    scripts = re.findall(r'<script>(.*?)</script>', text, re.S)
    text = text.replace('@TAMBLO_STYLE_HASHES@', hashes(styles) or "'none'")
    text = text.replace('@TAMBLO_SCRIPT_HASHES@', hashes(scripts))
    pathlib.Path(site, 'index.html').write_text(text, encoding='utf-8')


def stamp(template, site):
    site = pathlib.Path(site)
    files = {path.relative_to(site).as_posix(): hashlib.sha256(path.read_bytes()).hexdigest()
             for path in sorted(site.rglob('*')) if path.is_file() and path.name not in OUTSIDE}
    release = hashlib.sha256(''.join(f'{name} {digest}\n' for name, digest in files.items()).encode())
    release = release.hexdigest()[:16]
    worker = pathlib.Path(template).read_text(encoding='utf-8')
    worker = worker.replace('@TAMBLO_RELEASE@', release).replace('@TAMBLO_FILES@', json.dumps(files, indent=4))
    (site / 'sw.js').write_text(worker, encoding='utf-8')
    (site / 'release.txt').write_text(release + '\n', encoding='utf-8')


if __name__ == '__main__':
    {'page': page, 'stamp': stamp}[sys.argv[1]](*sys.argv[2:])
