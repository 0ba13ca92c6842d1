# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""Playing the page in Chromium with real clicks and keys: the title screen,
whole games with every stage's picture and board checked, the boxes in
order, the record, a reload, a wrong answer and the retry, and a game
played by keyboard alone."""

import threading
import time
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

import tamblo_web as web

# Stage: (buttons, columns, width divisor, height divisor)
STAGES = [(2, 2, 2, 2), (3, 3, 3, 2), (6, 3, 3, 2), (10, 5, 5, 2), (15, 5, 5, 3), (30, 5, 5, 6)]
RIGHT = ('Tamblo', '正解!', ['OK'], 0)
RETRY = ('Tamblo', 'また挑戦しますか？', ['はい', 'いいえ'], 0)
GAME_OVER = ('Tamblo', '残念!\u3000間違いです\n\nゲームオーバー', ['OK'], 0)


def expected_board(stage):
    """Where each button of the stage lies: (left, top, width, height)."""
    count, columns, width_divisor, height_divisor = STAGES[stage]
    width, height = round(180 / width_divisor), round(180 / height_divisor)
    return [(10 + width * (i % columns), 260 + height * (i // columns), width, height) for i in range(count)]


def check_stage(case, page, stage):
    """The disc, the board, the captions and the colours of one stage; gives
    the age shown."""
    image = page.screenshot()
    shown = page.disc_pixels(image)
    ages = [age for age in range(30) if web.disc(age) == shown]
    case.assertEqual(len(ages), 1, f'stage {stage}: the disc matches no age exactly')
    age = ages[0]
    buttons = page.buttons()
    case.assertEqual([tuple(b[1:]) for b in buttons], expected_board(stage), f'stage {stage}: board')
    count = STAGES[stage][0]
    step = 30 // count
    captions = [int(b[0]) for b in buttons]
    case.assertEqual(captions[age // step], age, f'stage {stage}: the answer is not where it belongs')
    case.assertEqual(len(set(captions)), count, f'stage {stage}: two captions agree')
    for i, caption in enumerate(captions):
        base = i * step + age % step
        case.assertLessEqual(abs(caption - base), (step - 1) // 2, f'stage {stage}: caption {caption}')
        case.assertTrue(0 <= caption <= 29)
    # The face of every button, sampled beside its text, is orange; the
    # game area around the disc and the board is the background.
    pixel = page.sampler(image)
    for _, x, y, width, height in buttons:
        case.assertEqual(pixel(x + 5, y + height - 6), web.ORANGE)
    for x, y in ((2, 2), (197, 2), (20, 200), (180, 200), (5, 445), (195, 445)):
        case.assertEqual(pixel(x, y), web.BACKGROUND, f'stage {stage} at {(x, y)}')
    return age


class Play(unittest.TestCase):
    def setUp(self):
        self.fixture = web.Fixture()
        self.page = self.fixture.open()

    def tearDown(self):
        self.fixture.close()

    def test_title_screen_and_the_best_time_box_of_a_fresh_profile(self):
        page = self.page
        self.assertEqual(self.fixture.driver.title, 'Tamblo')
        self.assertTrue(page.title_showing())
        self.assertEqual(page.prompt(), 'クリックしてください')
        self.assertEqual(page.buttons(), [])
        form = page.js("const r = document.getElementById('Form1').getBoundingClientRect(); return [r.width, r.height, r.top]")
        self.assertEqual(form[:2], [200, 450])
        menu = page.js("const r = document.getElementById('HighScore').getBoundingClientRect(); return [r.bottom, document.getElementById('HighScore').textContent]")
        self.assertLessEqual(menu[0], form[2])
        self.assertEqual(menu[1], 'ハイスコア')
        # No disc and no button yet: the background and the labels' yellow
        # letters, the title word among them.
        pixel = page.sampler(page.screenshot())
        colours = [pixel(x, y) for x in range(200) for y in range(424)]
        self.assertGreater(colours.count(web.BACKGROUND), 0.8 * len(colours))
        self.assertGreater(colours.count(web.LIT), 500, 'the title word')
        self.assertNotIn(web.DARK, colours)
        self.assertNotIn(web.ORANGE, colours)
        # The best-time box, with nothing stored yet.
        self.fixture.driver.find_element(By.ID, 'HighScore').click()
        self.assertEqual(tuple(page.wait_box()), ('ハイスコア', 'クリアまでの最短時間 99.9秒', ['OK'], 0))
        ActionChains(self.fixture.driver, duration=0).send_keys(Keys.ESCAPE).perform()
        page.wait(lambda: page.box() is None, message='Escape left the box open')
        self.assertTrue(page.title_showing())
        self.assertIsNone(page.stored(), 'the box wrote a record')
        # The keyboard is the game's again: Return starts it rather than
        # choosing the menu item once more.
        ActionChains(self.fixture.driver, duration=0).send_keys(Keys.RETURN).perform()
        page.wait(lambda: len(page.buttons()) == 2, message='Return after the menu did not start the game')
        self.assertIsNone(page.box())

    def test_whole_games_the_record_a_reload_and_the_retry(self):
        page = self.page
        page.click_title()
        self.assertEqual(page.prompt(), 'この月の月齢は？')
        self.assertEqual(page.js("return document.getElementById('Label2').offsetTop"), 227)
        for stage in range(6):
            age = check_stage(self, page, stage)
            page.click_button(str(age))
            self.assertEqual(tuple(page.wait_box()), RIGHT)
            if stage == 5:
                # Stored as soon as the last answer was judged.
                stored = page.stored()
                self.assertRegex(stored or '', r'^[0-9]+\r\n$')
            page.answer_box('OK')
        tenths = int(stored)
        self.assertEqual(tuple(page.wait_box()), ('Tamblo', 'ゲームクリア!\n\n所要時間 ' + web.time_text(tenths), ['OK'], 0))
        page.answer_box('OK')
        self.assertEqual(tuple(page.wait_box()), ('Tamblo', 'ハイスコア更新!', ['OK'], 0))
        page.answer_box('OK')
        self.assertEqual(tuple(page.wait_box()), RETRY)
        page.answer_box('いいえ')
        page.wait(page.title_showing, message='no title screen after No')
        self.assertEqual(page.prompt(), 'クリックしてください')
        self.assertEqual(page.buttons(), [])
        self.assertEqual(page.stored(), stored)

        # After a reload the record is kept and shown.
        self.fixture.driver.refresh()
        page.wait_ready()
        self.fixture.driver.find_element(By.ID, 'HighScore').click()
        self.assertEqual(tuple(page.wait_box()), ('ハイスコア', 'クリアまでの最短時間 ' + web.time_text(tenths), ['OK'], 0))
        page.answer_box('OK')
        # A wrong answer, and Yes: a new game at its first stage.
        page.click_title()
        web.play_stage(page, right=False)
        self.assertEqual(tuple(page.wait_box()), GAME_OVER)
        page.answer_box('OK')
        self.assertEqual(tuple(page.wait_box()), RETRY)
        page.answer_box('はい')
        page.wait(lambda: len(page.buttons()) == 2, message='no first stage after Yes')
        check_stage(self, page, 0)
        self.assertEqual(page.stored(), stored)
        self.assertEqual(page.console_errors(), [])

    def test_keyboard_only(self):
        page = self.page
        keys = ActionChains(self.fixture.driver, duration=0)
        keys.send_keys(Keys.RETURN).perform()
        page.wait(lambda: not page.title_showing(), message='Return did not start the game')
        for stage in range(2):
            age = page.disc_age()
            self.assertIsNotNone(age)
            # Tab to the button that carries the age, then Space answers.
            for _ in range(len(page.buttons()) + 5):
                if page.js('return document.activeElement.textContent') == str(age):
                    break
                ActionChains(self.fixture.driver, duration=0).send_keys(Keys.TAB).perform()
            self.assertEqual(page.js('return document.activeElement.className'), 'answer')
            ActionChains(self.fixture.driver, duration=0).send_keys(Keys.SPACE).perform()
            self.assertEqual(tuple(page.wait_box()), RIGHT)
            ActionChains(self.fixture.driver, duration=0).send_keys(Keys.RETURN).perform()
            page.wait(lambda: page.box() is None, message='Return left the box open')
            page.wait(lambda: len(page.buttons()) == STAGES[stage + 1][0], message='no next stage')
        # A wrong answer by Return, then Escape answers the retry as No.
        age = page.disc_age()
        while page.js('return document.activeElement.textContent') in ('', str(age)) or \
                page.js('return document.activeElement.className') != 'answer':
            ActionChains(self.fixture.driver, duration=0).send_keys(Keys.TAB).perform()
        ActionChains(self.fixture.driver, duration=0).send_keys(Keys.RETURN).perform()
        self.assertEqual(tuple(page.wait_box()), GAME_OVER)
        ActionChains(self.fixture.driver, duration=0).send_keys(Keys.RETURN).perform()
        self.assertEqual(tuple(page.wait_box()), RETRY)
        ActionChains(self.fixture.driver, duration=0).send_keys(Keys.ESCAPE).perform()
        page.wait(page.title_showing, message='Escape in the retry box did not end the game')
        # Space on the title starts a fresh game.
        time.sleep(0.1)
        ActionChains(self.fixture.driver, duration=0).send_keys(Keys.SPACE).perform()
        page.wait(lambda: len(page.buttons()) == 2, message='Space did not start the game')


class HeldInput(unittest.TestCase):
    def test_input_before_the_module_is_ready_is_held(self):
        # The server keeps the module's script and code back: the title
        # screen shows, centred, and takes ハイスコア and a click on the
        # title while the module is on its way; both are carried out, in
        # that order, once it is ready.
        fixture = web.Fixture()
        self.addCleanup(fixture.close)
        # Commands must not wait for the load, which the held module delays.
        page = fixture.open(load_strategy='none')
        driver = fixture.driver
        gate = fixture.server.httpd.module_gate = threading.Event()
        self.addCleanup(gate.set)
        driver.execute_cdp_cmd('Network.enable', {})
        driver.execute_cdp_cmd('Network.setCacheDisabled', {'cacheDisabled': True})
        driver.execute_cdp_cmd('Network.setBypassServiceWorker', {'bypass': True})
        driver.execute_script('window.leaving = true; location.href = arguments[0]', fixture.server.url + '?again')
        page.wait(lambda: page.js("const title = document.getElementById('Label1');"
                                  "return !window.leaving && title !== null && title.checkVisibility({visibilityProperty: true})"),
                  message='the title screen never showed')
        self.assertEqual(page.js('return typeof createTamblo'), 'undefined', 'the module was not held back')
        left, width = page.js("const r = document.getElementById('Form1').getBoundingClientRect();"
                              "return [r.left, innerWidth]")
        self.assertEqual(left, (width - 200) / 2, 'the title screen is not centred')
        driver.find_element(By.ID, 'HighScore').click()
        driver.find_element(By.ID, 'Label1').click()
        time.sleep(0.2)
        self.assertIsNone(page.js('return document.documentElement.dataset.ready'))
        self.assertTrue(page.title_showing())
        gate.set()
        self.assertEqual(tuple(page.wait_box(timeout=20)[:3]), ('ハイスコア', 'クリアまでの最短時間 99.9秒', ['OK']),
                         'the held ハイスコア was lost')
        page.answer_box('OK')
        page.wait(lambda: len(page.buttons()) == 2, message='the held click was lost')


def enter(driver, kind, repeat=False):
    """Return going down (with its character), repeating, or up."""
    event = {'type': kind, 'key': 'Enter', 'code': 'Enter', 'windowsVirtualKeyCode': 13, 'autoRepeat': repeat}
    driver.execute_cdp_cmd('Input.dispatchKeyEvent', {**event, 'text': '\r'} if kind == 'keyDown' else event)


class HeldKeys(unittest.TestCase):
    def test_a_held_or_doubled_return_never_answers_an_unseen_stage(self):
        fixture = web.Fixture()
        self.addCleanup(fixture.close)
        page = fixture.open()
        driver = fixture.driver
        page.click_title()
        age = page.disc_age()
        while page.js('return document.activeElement.textContent') != str(age):
            ActionChains(driver, duration=0).send_keys(Keys.TAB).perform()
        # Return held on the right answer: a repeat closes the box, and the
        # others, and Return pressed again, reach no answer of the next stage.
        enter(driver, 'keyDown')
        self.assertEqual(tuple(page.wait_box()), RIGHT)
        for kind, repeat in [('keyDown', True)] * 6 + [('keyUp', False), ('keyDown', False), ('keyUp', False)]:
            enter(driver, kind, repeat)
            time.sleep(0.05)
        time.sleep(0.3)
        self.assertIsNone(page.box(), 'a held or second Return answered the next stage')
        self.assertEqual((len(page.buttons()), page.js('return document.activeElement.id')), (3, 'Form1'))
        # The first Tab goes to the first answer: a repeat there answers
        # nothing, a fresh press does.
        ActionChains(driver, duration=0).send_keys(Keys.TAB).perform()
        self.assertEqual(page.js('return document.activeElement.id'), 'Command1_0')
        enter(driver, 'keyDown', repeat=True)
        time.sleep(0.3)
        self.assertIsNone(page.box(), 'a repeat answered')
        enter(driver, 'keyUp')
        enter(driver, 'keyDown')
        self.assertIn(tuple(page.wait_box()), (RIGHT, GAME_OVER))


class ModuleRefused(unittest.TestCase):
    def test_a_module_that_cannot_be_loaded_is_told_and_the_page_loads_again(self):
        for refused in ('tamblo.wasm', 'tamblo.js'):
            with self.subTest(refused=refused):
                server = web.Server()
                self.addCleanup(server.close)
                server.httpd.refused = {refused}
                driver = web.chromium()
                self.addCleanup(web.quit_chromium, driver)
                started = time.monotonic()
                page = web.Page(driver, server.url, ready=False)
                shown = "return ['LoadFailure', 'Label1'].map(id => document.getElementById(id).checkVisibility())"
                page.wait(lambda: page.js(shown) == [True, False], timeout=10, message='no failure shown')
                self.assertLess(time.monotonic() - started, 10)
                self.assertIn('読み込めませんでした', driver.find_element(By.ID, 'Form1').text)
                self.assertTrue(any('could not be loaded' in e for e in page.console_errors()))
                # Nothing else takes input; the button loads the page again.
                driver.find_element(By.ID, 'HighScore').click()
                time.sleep(0.2)
                self.assertIsNone(page.box())
                server.httpd.refused = set()
                reload = driver.find_element(By.ID, 'Reload')
                self.assertEqual(reload.text, '再読み込み')
                reload.click()
                page.wait_ready()
                page.click_title()

if __name__ == '__main__':
    unittest.main()
