# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""The game fitted to desktop windows, phones held either way and the
smallest windows: played to the last stage by clicks or taps, the disc
exact, every control large enough for a finger, and nothing scrolled."""

import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

import tamblo_web as web

# The game's size in CSS pixels at scale 1: the menu bar and the game area.
GAME = (200, 474)
BUTTONS = (2, 3, 6, 10, 15, 30)

# Every control that shows, as [kind, text, width, height] in CSS pixels.
CONTROLS = """
    return [...document.querySelectorAll('#menubar button, #Form1 .answer, #Box button')]
        .filter(element => element.checkVisibility())
        .map(element => {
            const r = element.getBoundingClientRect();
            return [element.closest('#menubar') ? 'menu' : element.closest('#Box') ? 'box' : 'answer',
                    element.textContent, r.width, r.height];
        });"""


def open_window(case, width, height, ratio, touch):
    fixture = web.Fixture()
    case.addCleanup(fixture.close)
    page = fixture.open()
    driver = fixture.driver
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': touch})
    driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': touch, 'maxTouchPoints': 5})
    driver.refresh()
    page.wait_ready()
    return fixture, page


def tap(page, element_script):
    """A finger's tap at the middle of the element that the script gives."""
    x, y = page.js(f"const r = ({element_script}).getBoundingClientRect();"
                   "return [r.left + r.width / 2, r.top + r.height / 2]")
    for kind in ('touchStart', 'touchEnd'):
        points = [{'x': x, 'y': y}] if kind == 'touchStart' else []
        page.driver.execute_cdp_cmd('Input.dispatchTouchEvent', {'type': kind, 'touchPoints': points})


def shown_age(page):
    """The age whose disc the picture shows, read at the middle of every
    game pixel, which holds at any scale."""
    pixel = page.sampler(page.screenshot())
    shown = tuple(tuple(pixel(x, y) for x in range(50, 151)) for y in range(50, 151))
    return next((age for age in range(30) if web.disc(age) == shown), None)


def press(page, touch, script):
    if touch:
        tap(page, script)
    else:
        page.driver.execute_script('arguments[0].scrollIntoView', page.js(f'return {script}'))
        ActionChains(page.driver, duration=0).move_to_element(page.js(f'return {script}')).click().perform()


def play_to_last_stage(case, page, touch):
    press(page, touch, "document.getElementById('Label1')")
    page.wait(lambda: not page.title_showing(), message='the game did not start')
    for stage in range(5):
        age = shown_age(page)
        case.assertIsNotNone(age, f'stage {stage}: the disc is not exact')
        press(page, touch, f"[...document.querySelectorAll('#Form1 .answer')].find(b => !b.hidden && b.textContent === '{age}')")
        case.assertEqual(page.wait_box()[1], '正解!')
        press(page, touch, "document.querySelector('#Box button')")
        page.wait(lambda: page.box() is None and len(page.buttons()) == BUTTONS[stage + 1], message='no next stage')
    case.assertIsNotNone(shown_age(page), 'the last stage: the disc is not exact')


class Fit(unittest.TestCase):
    def check_window(self, width, height, ratio, touch, least_answer):
        _, page = open_window(self, width, height, ratio, touch)
        self.assertEqual(page.js("return matchMedia('(pointer: coarse)').matches"), touch)
        play_to_last_stage(self, page, touch)
        view = page.js("""
            const game = document.getElementById('game').getBoundingClientRect();
            const form = document.getElementById('Form1').getBoundingClientRect();
            const page = document.scrollingElement;
            return {game: [game.left, game.top, game.right, game.bottom], form: [form.width, form.height],
                    scroll: [page.scrollWidth, page.scrollHeight, scrollX, scrollY]};""")
        # Nothing reaches past the window, and nothing scrolls.
        left, top, right, bottom = view['game']
        self.assertGreaterEqual(min(left, top), 0)
        self.assertLessEqual(right, width + 0.01)
        self.assertLessEqual(bottom, height + 0.01)
        self.assertEqual(view['scroll'], [width, height, 0, 0])
        scale = view['form'][0] / 200
        self.assertAlmostEqual(view['form'][1], 450 * scale, delta=0.01)
        room = min(width / GAME[0], height / GAME[1])
        if touch:
            # A finger gets all the room there is.
            self.assertAlmostEqual(scale, room, delta=0.01)
        elif room >= 1:
            # A mouse gets the largest whole multiple.
            self.assertEqual(scale, int(room))
        answers = [c for c in page.js(CONTROLS) if c[0] == 'answer']
        self.assertEqual(len(answers), 30)
        self.assertGreaterEqual(min(min(c[2:]) for c in answers), least_answer, answers)
        # The best-time box, over the last stage, grows with the game.
        press(page, touch, "document.getElementById('HighScore')")
        page.wait_box()
        controls = page.js(CONTROLS)
        if room >= 1:
            small = [c for c in controls if min(c[2:]) < 24]
            self.assertEqual(small, [], 'controls smaller than a finger')
        self.assertAlmostEqual(page.js("return parseFloat(getComputedStyle(document.getElementById('BoxPrompt')).fontSize)"),
                               14 * scale, delta=0.05)
        press(page, touch, "document.querySelector('#Box button')")
        page.wait(lambda: page.box() is None)
        return page, view

    def test_desktop_windows_take_whole_multiples(self):
        page, view = self.check_window(1920, 1080, 1, False, 24)
        self.assertEqual(view['form'], [400, 900])
        self.check_window(640, 760, 1, False, 24)

    def test_a_phone_held_upright_gives_answers_a_finger_can_hit(self):
        self.check_window(390, 844, 3, True, 44)

    def test_a_phone_held_sideways_fits(self):
        self.check_window(844, 390, 3, True, 24)

    def test_the_smallest_windows(self):
        for touch, ratio in ((False, 1), (True, 2)):
            with self.subTest(touch=touch):
                self.check_window(320, 480, ratio, touch, 24)

    def test_a_drag_selects_no_text(self):
        _, page = open_window(self, 390, 844, 3, True)
        driver = page.driver
        press(page, True, "document.getElementById('HighScore')")
        page.wait_box()
        # Across the box's texts, and across the menu and the title.
        for start, end in (('BoxTitle', 'BoxPrompt'), ('HighScore', 'Label1')):
            ActionChains(driver, duration=0).move_to_element(driver.find_element(By.ID, start)).click_and_hold() \
                .move_to_element(driver.find_element(By.ID, end)).release().perform()
            self.assertEqual(page.js('return getSelection().toString()'), '', start)
            if start == 'BoxTitle':
                press(page, True, "document.querySelector('#Box button')")
                page.wait(lambda: page.box() is None)

if __name__ == '__main__':
    unittest.main()
