# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""Makes a built site one release, at build time.

  release.py page <index.html> <site>   writes the page into the site with
      the hashes of its inline styles in its Content-Security-Policy, so
      that the policy allows those styles and nothing else inline;
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


def page(source, site):
    text = pathlib.Path(source).read_text(encoding='utf-8')
    styles = re.findall(r'<style>(.*?)</style>', text, re.S)
    hashes = ' '.join("'sha256-%s'" % base64.b64encode(hashlib.sha256(style.encode()).digest()).decode()
                      for style in styles)
    pathlib.Path(site, 'index.html').write_text(text.replace('@TAMBLO_STYLE_HASHES@', hashes or "'none'"),
                                                encoding='utf-8')


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
    {'page': page, 'stamp': stamp}[sys.argv[1]](sys.argv[2], sys.argv[3])
