# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""The web site's speed and size, in one headless Chromium:

- start-up: from navigation to the title screen painted (the page's first
  contentful paint: the game area shows once the page's script has fitted
  it and listens, so the title screen takes clicks from then on, holding
  them until the module is ready), against a bare page with one canvas
  and one script painted, the median of alternating turns with the HTTP
  cache warm and no service worker; the time until the module is ready
  and a frame painted after it is reported beside;
- a returning visitor's start-up: the same, with each page served from its
  offline copy by the same service worker (the bare page's stamped from
  the same script);
- a stage change: from the close of the right answer's box to the next
  stage's disc and board laid out, measured in the page, its 95th
  percentile over whole games;
- size: every file of the site gzip-compressed, icons aside.

Usage: web_bench.py <site folder> <bare page folder>"""

import functools
import gzip
import http.server
import os
import pathlib
import shutil
import statistics
import sys
import tempfile
import threading
import types

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / 'tests' / 'web'))
os.environ.setdefault('TAMBLO_SITE', sys.argv[1])
import tamblo_web as web  # noqa: E402

TURNS = 25
GAMES = 12

# Installed before the page's own scripts: timestamps of each box's close
# and of the moment the module has finished the work that followed it.
STAGE_PROBE = """
window.stageTimes = [];
addEventListener('close', () => {
    const closed = performance.now();
    setTimeout(() => {
        document.body.offsetHeight;
        // A box that opened instead means no stage change followed.
        if (!document.querySelector('dialog[open]'))
            window.stageTimes.push(performance.now() - closed);
    }, 0);
}, true);
"""


def size_of_site(site):
    total = 0
    for path in pathlib.Path(site).rglob('*'):
        if path.is_file() and 'icons' not in path.parts:
            total += len(gzip.compress(path.read_bytes(), 9))
    return total


def startup(driver, url):
    """The first contentful paint, and when the module was ready (nothing
    for the bare page), in ms from the navigation."""
    driver.get(url)
    page = web.Page.__new__(web.Page)
    page.driver = driver
    read = """
        const paint = performance.getEntriesByName('first-contentful-paint')[0];
        const ready = document.documentElement.dataset.ready || document.documentElement.dataset.painted;
        return paint && ready ? [paint.startTime, Number(document.documentElement.dataset.ready || 0)] : null;"""
    return page.wait(lambda: driver.execute_script(read))


def keep_offline(driver, url, register):
    """Visits the page until its service worker serves it; `register` is
    the script that registers the worker, for a page that does not."""
    driver.get(url)
    if register:
        driver.execute_script(register)
    page = web.Page.__new__(web.Page)
    page.driver = driver
    page.wait(lambda: driver.execute_script('return navigator.serviceWorker.controller !== null'), timeout=20,
              message=f'no service worker serves {url}')


REGISTER = """
    return fetch('release.txt', {cache: 'no-store'}).then(r => r.text())
        .then(release => navigator.serviceWorker.register('sw.js?release=' + release.trim())).then(() => true);"""


def stage_changes(driver, url):
    driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': STAGE_PROBE})
    page = web.Page(driver, url)
    page.click_title()
    for _ in range(GAMES):
        for stage in range(6):
            web.play_stage(page)
            page.wait_box()
            page.answer_box('OK')
        while True:
            box = page.wait_box()
            if box[2] == ['はい', 'いいえ']:
                page.answer_box('はい')
                break
            page.answer_box('OK')
        page.wait(lambda: len(page.buttons()) == 2)
    return driver.execute_script('return window.stageTimes')


def main():
    site, bare = sys.argv[1], sys.argv[2]
    root = tempfile.mkdtemp(prefix='tamblo-bench-')
    shutil.copytree(site, os.path.join(root, 'site'))
    shutil.copytree(bare, os.path.join(root, 'bare'))
    server = types.SimpleNamespace()
    server.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(web.Quiet, directory=root))
    threading.Thread(target=server.httpd.serve_forever, daemon=True).start()
    base = f'http://127.0.0.1:{server.httpd.server_port}/'
    driver = web.chromium()
    try:
        driver.execute_cdp_cmd('Network.enable', {})
        driver.execute_cdp_cmd('Network.setBypassServiceWorker', {'bypass': True})
        ours, bares = [], []
        startup(driver, base + 'site/')
        startup(driver, base + 'bare/')
        for _ in range(TURNS):
            ours.append(startup(driver, base + 'site/'))
            bares.append(startup(driver, base + 'bare/'))
        ours_ms = statistics.median(turn[0] for turn in ours)
        ready_ms = statistics.median(turn[1] for turn in ours)
        bare_ms = statistics.median(turn[0] for turn in bares)
        driver.execute_cdp_cmd('Network.setBypassServiceWorker', {'bypass': False})
        keep_offline(driver, base + 'site/', None)
        keep_offline(driver, base + 'bare/', REGISTER)
        ours, bares = [], []
        for _ in range(TURNS):
            ours.append(startup(driver, base + 'site/')[0])
            bares.append(startup(driver, base + 'bare/')[0])
        kept_ms, kept_bare_ms = statistics.median(ours), statistics.median(bares)
        driver.get('about:blank')
        times = stage_changes(driver, base + 'site/')
    finally:
        web.quit_chromium(driver)
        server.httpd.shutdown()
        shutil.rmtree(root, ignore_errors=True)
    changes = sorted(times)
    if len(changes) != GAMES * 6:
        print(f'expected {GAMES * 6} stage changes, measured {len(changes)}', file=sys.stderr)
        return 1
    p95 = changes[int(0.95 * (len(changes) - 1))]
    size = size_of_site(site)
    print()
    print(f"{'web site in headless Chromium':36} {'ours':>10} {'against':>12} {'ratio':>9}  goal")
    print(f"{'start-up vs bare page (ms)':36} {ours_ms:10.1f} {bare_ms:12.1f} {ours_ms / bare_ms:9.2f}  <= 1.5")
    print(f"{'  module ready, title painted (ms)':36} {ready_ms:10.1f} {'-':>12} {'-':>9}  (a click before it is held)")
    print(f"{'returning, offline copy (ms)':36} {kept_ms:10.1f} {kept_bare_ms:12.1f} {kept_ms / kept_bare_ms:9.2f}  <= 1.5")
    print(f"{'stage change p95 (ms)':36} {p95:10.2f} {16.7:12.1f} {p95 / 16.7:9.2f}  <= 1 frame")
    print(f"{'site size gzip, icons aside (bytes)':36} {size:10d} {65536:12d} {size / 65536:9.2f}  <= 64 KiB")
    ok = ours_ms / bare_ms <= 1.5 and kept_ms / kept_bare_ms <= 1.5 and p95 <= 16.7 and size <= 65536
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main())
