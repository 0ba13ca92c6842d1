# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""Photographs the web site in headless Chromium for the README: at a
device pixel ratio of 2, the first stage's disc and board, the menu bar and
the best-time box over them.
Usage: web_picture.py <site folder> <output .png>"""

import os
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / 'tests' / 'web'))
os.environ.setdefault('TAMBLO_SITE', sys.argv[1])
import tamblo_web as web  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402


def main():
    fixture = web.Fixture()
    page = fixture.open(ratio=2, size=(500, 640))
    try:
        page.store('318\r\n')
        fixture.driver.refresh()
        page.wait_ready()
        page.click_title()
        # A disc with a terminator to see: a new game until one shows.
        while page.disc_age() not in (4, 5, 6, 10, 11, 12, 19, 20, 21, 24, 25, 26):
            fixture.driver.refresh()
            page.wait_ready()
            page.click_title()
        fixture.driver.find_element(By.ID, 'HighScore').click()
        page.wait_box()
        image = page.screenshot()
        left, top, ratio = page.game_area()
        # The game area with a margin, the box lies over it.
        box = (int(left - 60 * ratio), 0, int(left + 260 * ratio), int(top + 450 * ratio))
        image.crop(box).save(sys.argv[2], optimize=True)
    finally:
        fixture.close()


if __name__ == '__main__':
    main()
