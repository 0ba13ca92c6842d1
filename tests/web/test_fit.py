# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""The game fitted to desktop windows, phones held either way and the
smallest windows, played to the last stage by clicks or taps: the disc
exact, every control large enough for a finger, nothing scrolled."""

import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

import tamblo_web as web

BUTTONS = (2, 3, 6, 10, 15, 30)
# Every control that shows: [kind, width, height] in CSS pixels.
CONTROLS = """return [...document.querySelectorAll('#menubar button, #Form1 .answer, #Box button')]
    .filter(e => e.checkVisibility()).map(e => [e.className || e.parentElement.id, e.getBoundingClientRect().width,
                                                e.getBoundingClientRect().height]);"""


class Fit(unittest.TestCase):
    def window(self, width, height, ratio, touch):
        fixture = web.Fixture()
        self.addCleanup(fixture.close)
        page = fixture.open()
        page.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
            'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': touch})
        page.driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': touch, 'maxTouchPoints': 5})
        page.driver.refresh()
        page.wait_ready()
        page.touch = touch
        return page

    def press(self, page, script):
        """A tap, or a click, at the middle of the element."""
        if not page.touch:
            ActionChains(page.driver, duration=0).move_to_element(page.js(f'return {script}')).click().perform()
            return
        x, y = page.js(f'const r = ({script}).getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]')
        for kind, points in (('touchStart', [{'x': x, 'y': y}]), ('touchEnd', [])):
            page.driver.execute_cdp_cmd('Input.dispatchTouchEvent', {'type': kind, 'touchPoints': points})

    def shown_age(self, page):
        """The age of the disc, read at the middle of every game pixel."""
        pixel = page.sampler(page.screenshot())
        shown = tuple(tuple(pixel(x, y) for x in range(50, 151)) for y in range(50, 151))
        return next((age for age in range(30) if web.disc(age) == shown), None)

    def check(self, width, height, ratio, touch, least_answer):
        page = self.window(width, height, ratio, touch)
        self.press(page, "document.getElementById('Label1')")
        for stage in range(5):
            age = self.shown_age(page)
            self.press(page, f"[...document.querySelectorAll('.answer')].find(b => b.textContent === '{age}')")
            self.assertEqual(page.wait_box()[1], '正解!')
            self.press(page, "document.querySelector('#Box button')")
            page.wait(lambda: page.box() is None and len(page.buttons()) == BUTTONS[stage + 1])
        self.assertIsNotNone(self.shown_age(page), 'the disc is not exact')
        self.press(page, "document.getElementById('HighScore')")
        page.wait_box()
        view = page.js("""const r = document.getElementById('game').getBoundingClientRect(), s = document.scrollingElement;
            return [r.left, r.top, r.right, r.bottom, s.scrollWidth, s.scrollHeight, scrollX + scrollY,
                    document.getElementById('Form1').getBoundingClientRect().width / 200,
                    parseFloat(getComputedStyle(document.getElementById('BoxPrompt')).fontSize)]""")
        self.assertGreaterEqual(min(view[:2]), 0)
        self.assertEqual(view[4:7], [width, height, 0], 'the page scrolls')
        self.assertLessEqual(view[2], width + 0.01)
        self.assertLessEqual(view[3], height + 0.01)
        # A finger gets all the room; a mouse the largest whole multiple.
        room, scale = min(width / 200, height / 474), view[7]
        self.assertAlmostEqual(scale, room if touch else int(room), delta=0.01)
        self.assertAlmostEqual(view[8], 14 * scale, delta=0.05, msg='the box does not grow with the game')
        controls = page.js(CONTROLS)
        self.assertEqual([c for c in controls if min(c[1:]) < 24], [], 'controls smaller than a finger')
        self.assertGreaterEqual(min(min(c[1:]) for c in controls if c[0] == 'answer'), least_answer)
        return scale

    def test_windows(self):
        self.assertEqual(self.check(1920, 1080, 1, False, 24), 2)
        self.assertEqual(self.check(640, 760, 1, False, 24), 1)
        self.check(390, 844, 3, True, 44)
        for touch, ratio in ((False, 1), (True, 2)):
            self.check(320, 480, ratio, touch, 24)

    def test_a_phone_held_sideways_fits_and_selects_no_text(self):
        page = self.window(844, 390, 3, True)
        self.press(page, "document.getElementById('HighScore')")
        page.wait_box()
        for start, end in (('BoxTitle', 'BoxPrompt'), ('HighScore', 'Label1')):
            ActionChains(page.driver, duration=0).move_to_element(page.driver.find_element(By.ID, start)) \
                .click_and_hold().move_to_element(page.driver.find_element(By.ID, end)).release().perform()
            self.assertEqual(page.js('return getSelection().toString()'), '', start)
            page.js("document.getElementById('Box').close()")
        self.assertEqual(page.js("const r = document.getElementById('game').getBoundingClientRect();"
                                 "return [r.bottom <= innerHeight, r.right <= innerWidth, scrollY]"), [True, True, 0])


if __name__ == '__main__':
    unittest.main()
