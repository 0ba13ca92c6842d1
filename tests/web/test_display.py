# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""The disc at device pixel ratios 1, 1.5 and 2, and on a screen smaller
than the game, where the game area scales down and takes taps."""

import unittest

from selenium.webdriver.common.by import By

import tamblo_web as web

COLOURS = {web.BACKGROUND, web.LIT, web.DARK}


def device_box(page, image):
    """Every device pixel of the disc box, with the game pixel it lies in."""
    left, top, ratio = page.game_area()
    pixels = image.load()
    x0, x1 = round(left + 50 * ratio), round(left + 151 * ratio)
    y0, y1 = round(top + 50 * ratio), round(top + 151 * ratio)
    for y in range(y0, y1):
        for x in range(x0, x1):
            yield pixels[x, y], (x + 0.5 - left) / ratio, (y + 0.5 - top) / ratio


def check_crisp(case, page, age):
    """At any ratio: only the three colours, each device pixel the colour of
    its game pixel wherever that pixel's neighbours agree with it."""
    image = page.screenshot()
    expected = web.disc(age)
    checked = total = 0
    for colour, gx, gy in device_box(page, image):
        total += 1
        case.assertIn(colour, COLOURS, f'a blended device pixel at game ({gx:.2f}, {gy:.2f})')
        ix, iy = int(gx) - 50, int(gy) - 50
        if 1 <= ix < 100 and 1 <= iy < 100:
            around = {expected[iy + dy][ix + dx] for dx in (-1, 0, 1) for dy in (-1, 0, 1)}
            if len(around) == 1:
                case.assertEqual(colour, expected[iy][ix], f'game pixel ({ix + 50}, {iy + 50})')
                checked += 1
    case.assertGreater(checked, total // 2)


def fitting_ages(case, page):
    """The captions on the board whose disc the picture shows crisply; a
    blended pixel fails at once, whatever the age."""
    fits = []
    for age in (int(b[0]) for b in page.buttons()):
        try:
            check_crisp(case, page, age)
            fits.append(age)
        except AssertionError as error:
            if 'blended' in str(error):
                raise
    return fits


class Ratios(unittest.TestCase):
    def play_at(self, ratio, size=(600, 800)):
        fixture = web.Fixture()
        self.addCleanup(fixture.close)
        page = fixture.open(ratio=ratio, size=size)
        self.assertAlmostEqual(page.js('return devicePixelRatio'), ratio, places=3)
        return fixture, page

    def test_whole_number_ratios_give_exact_blocks(self):
        for ratio in (1, 2):
            with self.subTest(ratio=ratio):
                _, page = self.play_at(ratio)
                page.click_title()
                self.assertEqual(page.game_area()[2], ratio)
                age = page.disc_age()
                self.assertIsNotNone(age, 'a game pixel is no exact block of one colour, or the disc is wrong')
                check_crisp(self, page, age)

    def test_ratio_one_and_a_half_blends_nothing(self):
        _, page = self.play_at(1.5)
        page.click_title()
        # The age from the board: the right caption is the one whose disc
        # fits the picture.
        self.assertEqual(len(fitting_ages(self, page)), 1)

    def test_a_small_screen_scales_the_game_and_takes_taps(self):
        fixture, page = self.play_at(1, size=(500, 420))
        area = page.js("""const r = document.getElementById('game').getBoundingClientRect();
                          return [r.left, r.top, r.right, r.bottom, innerWidth, innerHeight]""")
        self.assertGreaterEqual(area[0], 0)
        self.assertGreaterEqual(area[1], 0)
        self.assertLessEqual(area[2], area[4] + 0.5)
        self.assertLessEqual(area[3], area[5] + 0.5)
        self.assertLess(page.game_area()[2], 1)
        # A tap on the title starts the game, as a click does.
        driver = fixture.driver
        driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 1})
        x, y = page.js("""const r = document.getElementById('Label1').getBoundingClientRect();
                          return [r.left + r.width / 2, r.top + r.height / 2]""")
        for kind in ('touchStart', 'touchEnd'):
            points = [{'x': x, 'y': y}] if kind == 'touchStart' else []
            driver.execute_cdp_cmd('Input.dispatchTouchEvent', {'type': kind, 'touchPoints': points})
        page.wait(lambda: not page.title_showing(), message='a tap did not start the game')
        self.assertEqual(len(fitting_ages(self, page)), 1)
        driver.find_element(By.ID, 'HighScore').click()
        self.assertEqual(page.wait_box()[0], 'ハイスコア')


if __name__ == '__main__':
    unittest.main()
