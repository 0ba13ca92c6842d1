# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""The site as a publisher serves it: a release unzipped over another (same
names, same dates, no Cache-Control), judged by the files the page runs;
the offline copy through a missing file, a captive portal, a stalled server
and no server; and a whole game, online and offline, with nothing in the
browser's console and nothing refused by the page's policy."""

import functools
import http.server
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

import tamblo_web as web

SOURCE = pathlib.Path(__file__).resolve().parents[2]
RELEASE_TOOL = SOURCE / 'app' / 'web' / 'release.py'
WORKER = SOURCE / 'app' / 'web' / 'page' / 'sw.js.in'
# The date a release zip gives every file.
ZIP_DATE = 1767225600
PORTAL = b'<!DOCTYPE html><title>Wi-Fi</title><p>Log in to use the network.</p>'

# Installed before the page's scripts: which module the page instantiates
# (its mark), and every violation of the page's policy.
PROBE = """
window.marks = window.marks || [];
window.violations = [];
addEventListener('securitypolicyviolation', e => violations.push(e.violatedDirective + ' ' + e.blockedURI));
for (const name of ['instantiate', 'instantiateStreaming']) {
    const original = WebAssembly[name];
    WebAssembly[name] = function (...args) {
        return original.apply(this, args).then(result => {
            for (const mark of WebAssembly.Module.customSections(result.module, 'mark'))
                marks.push('tamblo.wasm ' + new TextDecoder().decode(mark));
            return result;
        });
    };
}
"""


def leb128(number):
    out = bytearray()
    while True:
        byte, number = number & 0x7f, number >> 7
        out.append(byte | (0x80 if number else 0))
        if not number:
            return bytes(out)


def make_release(folder, mark):
    """The built site with a mark in its page, scripts and module, stamped
    as a release of its own, every file dated as a release zip dates it."""
    shutil.copytree(web.SITE, folder)
    page = folder / 'index.html'
    page.write_text(page.read_text(encoding='utf-8').replace(
        '<head>', f'<head>\n<meta name="mark" content="index.html {mark}">', 1), encoding='utf-8')
    with open(folder / 'tamblo.js', 'a', encoding='utf-8') as out:
        out.write(f"\n(window.marks = window.marks || []).push('tamblo.js {mark}');\n")
    payload = leb128(4) + b'mark' + mark.encode()
    with open(folder / 'tamblo.wasm', 'ab') as out:
        out.write(b'\0' + leb128(len(payload)) + payload)
    subprocess.run([sys.executable, RELEASE_TOOL, 'stamp', WORKER, folder], check=True)
    date_files(folder)
    return (folder / 'release.txt').read_text().strip()


def date_files(folder):
    for path in folder.rglob('*'):
        os.utime(path, (ZIP_DATE, ZIP_DATE))


class Publisher(http.server.SimpleHTTPRequestHandler):
    """A plain static server (Last-Modified, 304, and no Cache-Control
    unless told) that can turn into a portal, stall, or lose one file."""

    def log_message(self, *args):
        pass

    def end_headers(self):
        if self.server.cache_control:
            self.send_header('Cache-Control', self.server.cache_control)
        super().end_headers()

    def do_GET(self):
        self.server.asked.append(self.path)
        name = self.path.split('?')[0].rsplit('/', 1)[-1]
        if self.server.mode == 'stall':
            self.server.unstall.wait(60)
            return
        if self.server.mode == 'portal':
            self.send_response(200)
            self.send_header('Content-Type', 'text/html')
            self.send_header('Content-Length', str(len(PORTAL)))
            self.end_headers()
            self.wfile.write(PORTAL)
        elif name in self.server.missing:
            self.send_error(404)
        else:
            super().do_GET()


class Site:
    def __init__(self, folder):
        handler = functools.partial(Publisher, directory=str(folder))
        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        self.httpd.mode, self.httpd.missing, self.httpd.asked = 'serve', set(), []
        self.httpd.cache_control = None
        self.httpd.unstall = threading.Event()
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.url = f'http://127.0.0.1:{self.httpd.server_port}/'

    def stop(self):
        if self.httpd:
            self.httpd.unstall.set()
            self.httpd.shutdown()
            self.httpd.server_close()
            self.httpd = None


class Case(unittest.TestCase):
    def open(self, folder):
        self.site = Site(folder)
        self.addCleanup(self.site.stop)
        self.driver = web.chromium()
        self.addCleanup(web.quit_chromium, self.driver)
        self.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': PROBE})
        self.page = web.Page(self.driver, self.site.url)

    def reload(self):
        self.driver.refresh()
        self.page.wait_ready()

    def wait_release(self, release):
        """Until the worker of `release` serves the page, with its cache the
        only one."""
        state = """return navigator.serviceWorker.getRegistration().then(r => caches.keys().then(keys =>
            [r && r.active ? r.active.scriptURL : '', navigator.serviceWorker.controller !== null,
             keys.filter(key => key.startsWith('tamblo /')).length]))"""
        self.page.wait(lambda: self.page.js(state) == [f'{self.site.url}sw.js?release={release}', True, 1],
                       timeout=20, message=f'release {release} never took over alone')

    def runs(self):
        """The marks of the page, scripts and module that this page runs."""
        return sorted(self.page.js("""return [document.querySelector('meta[name=mark]').content,
                                              ...window.marks]"""))

    def play_a_stage(self):
        self.page.click_title()
        web.play_stage(self.page)
        self.assertEqual(self.page.wait_box()[1], '正解!')


class Publish(Case):
    def test_a_release_unzipped_over_another(self):
        root = pathlib.Path(tempfile.mkdtemp(prefix='tamblo-releases-'))
        self.addCleanup(shutil.rmtree, root, ignore_errors=True)
        first, second = make_release(root / 'first', '1'), make_release(root / 'second', '2')
        one = [f'{file} 1' for file in ('index.html', 'tamblo.js', 'tamblo.wasm')]
        two = [mark.replace(' 1', ' 2') for mark in one]
        # Half unzipped: the new page, scripts, worker and name, the old module.
        half = root / 'half'
        shutil.copytree(root / 'second', half)
        shutil.copy(root / 'first' / 'tamblo.wasm', half / 'tamblo.wasm')
        date_files(half)
        served = root / 'served'
        shutil.copytree(root / 'first', served)

        def publish(folder):
            shutil.rmtree(served)
            shutil.copytree(folder, served)
            date_files(served)

        self.open(served)
        self.assertEqual(self.runs(), one)
        self.wait_release(first)
        # A worker that is asked for the second release meets the old
        # module: it never installs, and every load runs the first release.
        publish(half)
        for _ in range(2):
            self.site.httpd.asked.clear()
            self.reload()
            self.assertEqual(self.runs(), one)
            self.page.wait(lambda: '/tamblo.wasm' in self.site.httpd.asked
                           and self.page.js("return navigator.serviceWorker.getRegistration()"
                                            ".then(r => r.installing === null && r.waiting === null)"),
                           timeout=20, message='the half release was never tried')
        self.wait_release(first)
        # Whole: the first load still runs the first release, whole, and
        # goes on getting its files once the second has taken over; the
        # second load runs the second, whole, and the first's copy is gone.
        publish(root / 'second')
        self.reload()
        self.assertEqual(self.runs(), one)
        self.page.wait(lambda: self.page.js("return navigator.serviceWorker.controller.scriptURL")
                       .endswith(second), timeout=20, message='the second release never took over')
        self.assertTrue(self.page.js("return fetch('tamblo.js').then(r => r.text())").endswith("'tamblo.js 1');\n"))
        self.reload()
        self.assertEqual(self.runs(), two)
        self.wait_release(second)


class OfflineCopy(Case):
    def test_missing_file_portal_stall_and_no_server(self):
        self.open(web.SITE)
        # Every answer checked with the server, so that the browser's HTTP
        # cache hides none of the faults below.
        self.site.httpd.cache_control = 'no-cache'
        release = (web.SITE / 'release.txt').read_text().strip()
        self.wait_release(release)
        for mode, missing in (('serve', {'tamblo.wasm'}), ('portal', set()), ('stall', set())):
            with self.subTest(mode=mode, missing=missing):
                self.site.httpd.mode, self.site.httpd.missing = mode, missing
                self.reload()
                self.play_a_stage()
        self.site.stop()
        self.reload()
        self.play_a_stage()
        # The copy is still the release, file for file.
        page = self.page.js("return caches.match('index.html').then(r => r.text())")
        self.assertEqual(page, (web.SITE / 'index.html').read_text(encoding='utf-8'))
        self.wait_release(release)


class Console(Case):
    def whole_game(self):
        self.page.click_title()
        for _ in range(6):
            web.play_stage(self.page)
            self.page.wait_box()
            self.page.answer_box('OK')
        while self.page.wait_box()[2] != ['はい', 'いいえ']:
            self.page.answer_box('OK')
        self.page.answer_box('いいえ')
        self.page.wait(self.page.title_showing)

    def test_whole_games_online_and_offline(self):
        self.open(web.SITE)
        self.assertEqual(self.driver.title, 'Tamblo')
        self.assertTrue(self.page.js("return document.querySelector('meta[name=description]').content"))
        self.whole_game()
        self.wait_release((web.SITE / 'release.txt').read_text().strip())
        self.assertEqual(self.page.js('return window.violations'), [])
        self.site.stop()
        self.reload()
        self.whole_game()
        self.assertEqual(self.page.js('return window.violations'), [])
        noise = [entry['message'] for entry in self.driver.get_log('browser')
                 if entry['level'] in ('SEVERE', 'WARNING')]
        self.assertEqual(noise, [])


if __name__ == '__main__':
    unittest.main()
