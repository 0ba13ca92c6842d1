# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""Play without the server after a first visit, and the clock of play: a
hidden tab counts its time at full speed, the best-time box counts, the
other boxes do not."""

import time
import unittest

from selenium.webdriver.common.by import By

import tamblo_web as web


class Offline(unittest.TestCase):
    def test_plays_offline_after_a_first_visit(self):
        fixture = web.Fixture()
        self.addCleanup(fixture.close)
        page = fixture.open()
        # The worker has taken the page and cached every file of the site.
        page.wait(lambda: page.js('return navigator.serviceWorker.controller !== null'), timeout=20,
                  message='no service worker controls the page')
        # Every file of the site that the game needs is in the cache.
        needed = sorted(str(p.relative_to(web.SITE)) for p in web.SITE.rglob('*')
                        if p.is_file() and p.name not in ('sw.js', 'LICENSE.txt'))
        missing = """
            return Promise.all(arguments[0].map(f => caches.match(new URL(f, location.href)).then(r => r ? null : f)))
                .then(list => list.filter(f => f));"""
        page.wait(lambda: page.js(missing, needed) == [], timeout=20, message='the site was not cached')
        fixture.server.stop()
        fixture.driver.refresh()
        page.wait_ready()
        page.click_title()
        web.play_stage(page)
        self.assertEqual(page.wait_box()[1], '正解!')
        # The manifest the page names, read from the cache as well.
        manifest = page.js("""return fetch(document.querySelector('link[rel=manifest]').href).then(r => r.json())""")
        self.assertEqual(manifest['theme_color'], '#000040')
        self.assertEqual(manifest['name'], 'Tamblo')
        self.assertEqual({i['sizes'] for i in manifest['icons']}, {'192x192', '512x512'})


class Clock(unittest.TestCase):
    def test_hidden_tab_and_boxes(self):
        fixture = web.Fixture()
        self.addCleanup(fixture.close)
        page = fixture.open(throttle_hidden=True)
        driver = fixture.driver
        before_start = time.monotonic()
        page.click_title()
        started = time.monotonic()
        # Hidden for three seconds: the time runs on at full speed.
        first = driver.current_window_handle
        # A repeating browser timer, to show that the hidden tab is slowed:
        # its beats counted while the tab is hidden only, against the time
        # it was hidden, however long the switches take.
        page.js("""window.beats = 0; setInterval(() => ++window.beats, 100);
                   window.hidden = [];
                   document.addEventListener('visibilitychange',
                       () => hidden.push([performance.now(), window.beats]));""")
        driver.switch_to.new_window('tab')
        self.assertEqual(page.js('return document.visibilityState'), 'visible')
        time.sleep(3)
        driver.close()
        driver.switch_to.window(first)
        page.wait(lambda: len(page.js('return window.hidden')) == 2, message='the tab was never hidden and shown')
        (hid, beats_hidden), (shown, beats_shown) = page.js('return window.hidden')
        full_speed = (shown - hid) / 100
        self.assertGreater(full_speed, 25)
        self.assertLess(beats_shown - beats_hidden, full_speed / 2,
                        'the hidden tab was not slowed: this test proves nothing')
        # The best-time box: the time runs on.
        driver.find_element(By.ID, 'HighScore').click()
        page.wait_box()
        time.sleep(3)
        page.answer_box('OK')
        # Each right answer's box stops the time: at most from just before
        # the answer until the box is answered, at least while it shows.
        at_most_stopped = at_least_stopped = 0
        for stage in range(5):
            web.play_stage(page)
            answered = page.answering
            page.wait_box()
            shown = time.monotonic()
            if stage == 0:
                time.sleep(3)
            at_least_stopped += time.monotonic() - shown
            page.answer_box('OK')
            at_most_stopped += time.monotonic() - answered
        web.play_stage(page)
        ended = page.answering
        page.wait_box()
        at_most_running = time.monotonic() - before_start - at_least_stopped
        at_least_running = ended - started - at_most_stopped
        counted = int(page.stored()) / 10
        # Each of the six spans the clock ran for may lose a part of a tenth.
        self.assertGreaterEqual(counted, at_least_running - 0.6, 'the hidden tab or the best-time box did not count')
        self.assertLessEqual(counted, at_most_running + 0.1, 'a right answer box counted')

if __name__ == '__main__':
    unittest.main()
