# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""What the Chromium tests share: the built site served from a sub-path,
a fresh headless Chromium per test, the page read as a player reads it
(screenshots and texts), and the disc's rule stated once more, on its own,
to judge the pictures by."""

import functools
import http.server
import io
import json
import math
import os
import pathlib
import shutil
import tempfile
import threading
import time

from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

SITE = pathlib.Path(os.environ['TAMBLO_SITE'])
CHROMIUM = os.environ.get('TAMBLO_CHROMIUM', '/usr/bin/chromium')
CHROMEDRIVER = os.environ.get('TAMBLO_CHROMEDRIVER', '/usr/bin/chromedriver')
SUB_PATH = 'games/moon/tamblo/'

BACKGROUND = (0, 0, 64)
LIT = (255, 255, 0)
DARK = (0, 0, 0)
ORANGE = (255, 128, 0)


# The disc, stated from its description rather than from the game's code:
# radius 50 around (100, 100); a pixel is in the disc when x^2 + y^2 < 2500;
# the terminator is an ellipse of horizontal half-axis 50 |cos a| with
# a = 6.28318530717958 / 30 * age; the light grows from the right until
# day 14 and withdraws to the left from day 15.
def disc_colour(age, x, y):
    if x * x + y * y >= 2500:
        return BACKGROUND
    t = math.tan(6.28318530717958 / 30 * age)
    k = t * t + 1
    inside = (k * x) * x + y * y < 2500
    if age < 8:
        lit = x >= 1 and not inside
    elif age < 15:
        lit = x >= 1 or inside
    elif age < 23:
        lit = x <= -1 or inside
    else:
        lit = x <= -1 and not inside
    return LIT if lit else DARK


@functools.lru_cache(maxsize=None)
def disc(age):
    """The 101 x 101 square of the disc, row by row."""
    return tuple(tuple(disc_colour(age, x, y) for x in range(-50, 51)) for y in range(-50, 51))


class Server:
    """The site, served by Python's http.server from a sub-path of the
    server's root, which proves that the site asks only relative URLs."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix='tamblo-web-')
        target = pathlib.Path(self.root, SUB_PATH)
        target.parent.mkdir(parents=True)
        shutil.copytree(SITE, target)
        handler = functools.partial(Quiet, directory=self.root)
        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        self.url = f'http://127.0.0.1:{self.httpd.server_port}/{SUB_PATH}'

    def stop(self):
        if self.httpd:
            self.httpd.shutdown()
            self.httpd.server_close()
            self.httpd = None

    def close(self):
        self.stop()
        shutil.rmtree(self.root, ignore_errors=True)


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                      '.js': 'text/javascript'}

    def log_message(self, *args):
        pass

    def do_GET(self):
        # A server whose `module_gate` is closed keeps the module back, its
        # script as well as its code.
        gate = getattr(self.server, 'module_gate', None)
        if gate is not None and self.path.split('?')[0].endswith(('/tamblo.js', '/tamblo.wasm')):
            gate.wait(30)
        # The files named in `refused` are answered 404.
        if self.path.split('?')[0].rsplit('/', 1)[-1] in getattr(self.server, 'refused', ()):
            self.send_error(404)
            return
        try:
            super().do_GET()
        except (BrokenPipeError, ConnectionResetError):
            pass  # a browser that quit while a file was on its way


def chromium(ratio=1, size=(600, 800), throttle_hidden=False, prefs=None, downloads=None, load_strategy='normal'):
    """A headless Chromium with a profile of its own. With load_strategy
    'none', commands do not wait for a page to finish loading."""
    profile = tempfile.mkdtemp(prefix='tamblo-chromium-')
    options = webdriver.ChromeOptions()
    options.page_load_strategy = load_strategy
    options.binary_location = CHROMIUM
    for switch in ('--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
                   '--disable-background-networking', '--disable-component-update', '--disable-sync',
                   f'--user-data-dir={profile}', f'--force-device-scale-factor={ratio}',
                   f'--window-size={size[0]},{size[1]}', '--lang=ja'):
        options.add_argument(switch)
    if throttle_hidden:
        # chromedriver keeps hidden tabs at full speed unless told not to.
        options.add_experimental_option('excludeSwitches', [
            'disable-background-timer-throttling', 'disable-backgrounding-occluded-windows',
            'disable-renderer-backgrounding'])
    all_prefs = dict(prefs or {})
    if downloads:
        all_prefs.update({'download.default_directory': downloads, 'download.prompt_for_download': False})
    if all_prefs:
        options.add_experimental_option('prefs', all_prefs)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.tamblo_profile = profile
    return driver


def quit_chromium(driver):
    driver.quit()
    shutil.rmtree(driver.tamblo_profile, ignore_errors=True)


class Page:
    """The game's page in one tab, as a player sees and works it."""

    def __init__(self, driver, url=None, ready=True):
        self.driver = driver
        if url:
            driver.get(url)
        if ready:
            self.wait_ready()

    def wait(self, condition, timeout=10, message=''):
        return WebDriverWait(self.driver, timeout).until(lambda _: condition(), message)

    def wait_ready(self):
        self.wait(lambda: self.driver.execute_script('return document.documentElement.dataset.ready'),
                  message='the module never became ready')

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    # What shows.
    def title_showing(self):
        return self.js("return !document.getElementById('Label1').hidden")

    def prompt(self):
        return self.js("return document.getElementById('Label2').textContent")

    def buttons(self):
        """The visible answer buttons: (caption, left, top, width, height)
        in the game area's pixels."""
        return self.js("""
            return [...document.querySelectorAll('#Form1 .answer')].filter(b => !b.hidden).map(b =>
                [b.textContent, b.offsetLeft, b.offsetTop, b.offsetWidth, b.offsetHeight]);""")

    def box(self):
        """The open box as (title, prompt, buttons, focused button), or None."""
        return self.js("""
            const box = document.getElementById('Box');
            if (!box.open) return null;
            const buttons = [...box.querySelectorAll('button')];
            return [document.getElementById('BoxTitle').textContent,
                    document.getElementById('BoxPrompt').textContent,
                    buttons.map(b => b.textContent),
                    buttons.indexOf(document.activeElement)];""")

    def wait_box(self, timeout=10):
        return self.wait(self.box, timeout, 'no box opened')

    def answer_box(self, text):
        """Clicks a button of the open box and waits until it is gone."""
        before = self.box()
        button = next(b for b in self.driver.find_elements(By.CSS_SELECTOR, '#Box button') if b.text == text)
        button.click()
        self.wait(lambda: self.box() != before, message='the box stayed')

    def stored(self):
        return self.js("return localStorage.getItem('HighScore.mtt')")

    def store(self, value):
        # Through JSON, which carries any string, even a lone surrogate.
        self.js("localStorage.setItem('HighScore.mtt', JSON.parse(arguments[0]))", json.dumps(value))

    def click_title(self):
        self.driver.find_element(By.ID, 'Label1').click()
        self.wait(lambda: not self.title_showing(), message='the game did not start')

    def click_button(self, caption):
        button = next(b for b in self.driver.find_elements(By.CSS_SELECTOR, '#Form1 .answer')
                      if b.is_displayed() and b.text == caption)
        button.click()

    # The picture.
    def screenshot(self):
        return Image.open(io.BytesIO(self.driver.get_screenshot_as_png())).convert('RGB')

    def game_area(self):
        """The game area's origin in device pixels and the device pixel ratio."""
        left, top, ratio, scale = self.js("""
            const r = document.getElementById('Form1').getBoundingClientRect();
            return [r.left, r.top, devicePixelRatio, r.width / 200];""")
        return left * ratio, top * ratio, ratio * scale

    def sampler(self, image):
        """Reads the screenshot by game pixel: the device pixel at the
        centre of game pixel (x, y)."""
        left, top, ratio = self.game_area()
        pixels = image.load()
        return lambda x, y: pixels[int(left + (x + 0.5) * ratio), int(top + (y + 0.5) * ratio)]

    def disc_pixels(self, image=None):
        """The colour of every game pixel of the disc box, where all device
        pixels of the game pixel agree, else None for that pixel."""
        image = image or self.screenshot()
        left, top, ratio = self.game_area()
        pixels = image.load()
        rows = []
        for gy in range(50, 151):
            row = []
            for gx in range(50, 151):
                x0, x1 = math.ceil(left + gx * ratio - 1e-6), math.ceil(left + (gx + 1) * ratio - 1e-6)
                y0, y1 = math.ceil(top + gy * ratio - 1e-6), math.ceil(top + (gy + 1) * ratio - 1e-6)
                colours = {pixels[x, y] for x in range(x0, x1) for y in range(y0, y1)}
                row.append(colours.pop() if len(colours) == 1 else None)
            rows.append(tuple(row))
        return tuple(rows)

    def disc_age(self):
        """The age whose disc shows exactly, or None."""
        shown = self.disc_pixels()
        for age in range(30):
            if disc(age) == shown:
                return age
        return None

    def console_errors(self):
        return [entry['message'] for entry in self.driver.get_log('browser') if entry['level'] == 'SEVERE']


def play_stage(page, right=True):
    """Reads the disc and clicks the right answer, or a wrong one."""
    age = page.disc_age()
    assert age is not None, 'the disc matches no age'
    captions = [b[0] for b in page.buttons()]
    assert str(age) in captions, f'no button says {age}: {captions}'
    choice = str(age) if right else next(c for c in captions if c != str(age))
    # The moment just before the answer: the clock runs until then.
    page.answering = time.monotonic()
    page.click_button(choice)
    return age


def time_text(tenths):
    return f'{tenths // 10}.{tenths % 10}秒'


class Fixture:
    """A served site and one Chromium for a unittest case."""

    def open(self, **chromium_options):
        self.server = Server()
        self.driver = chromium(**chromium_options)
        self.page = Page(self.driver, self.server.url)
        return self.page

    def close(self):
        try:
            quit_chromium(self.driver)
        finally:
            self.server.close()


def wait_until(condition, timeout=10, step=0.05):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(step)
    raise AssertionError('timed out')
