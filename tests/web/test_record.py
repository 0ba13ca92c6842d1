# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""The record in the page's storage: hostile stored values, another tab's
better time, storage that throws on access or on write, and the record
moved out as a file and in again."""

import pathlib
import shutil
import tempfile
import time
import unittest

from selenium.webdriver.common.by import By

import tamblo_web as web

NONE = 999
# Stored values as the desktop's hostile files, as strings, and the time
# that each must give. A JS string is judged by its UTF-8 bytes.
HOSTILE = [
    ('', NONE), ('\r\n', NONE), ('   314\r\n', 314), ('\t12,5', 12), ('+7\r\n', 7), ('-5\r\n', -5),
    ('42abc\r\n', NONE), ('0x10\r\n', NONE), ('1e3\r\n', NONE), ('12.5\r\n', NONE), ('"12"\r\n', NONE),
    ('2147483647\r\n', 2147483647), ('2147483648\r\n', NONE), ('-2147483648\r\n', -2147483648),
    ('-2147483649\r\n', NONE), ('1' * (1 << 20), NONE), ('\0\x01\x02\xff\x0012', NONE),
    ('\ufeff12\r\n', NONE), ('1\x002\r\n', NONE), ('12\u3000', NONE), ('12\ud800', NONE), ('٣\r\n', NONE),
    # Far past the bytes that are read: the number's end decides.
    ('7\r\n' + 'z' * 5_000_000, 7), ('8' * 5_000_000, NONE), ('9 ' + 'あ' * 3000, 9),
    ('6' * 4096, NONE), ('6' * 4095, NONE), ('1' + ' ' * 4094 + '\ud83c\udf15', 1),
    # As on every store: a number that ends the bytes parsed, or runs past.
    (' ' * 4092 + '1234', 1234), (' ' * 4093 + '1234', NONE), (' ' * 4092 + '1234 ', NONE),
]


def time_prompt(tenths):
    sign = '-' if tenths < 0 else ''
    return f'クリアまでの最短時間 {sign}{web.time_text(abs(tenths))}'


def play_to_last_stage(page):
    page.click_title()
    for _ in range(5):
        web.play_stage(page)
        page.wait_box()
        page.answer_box('OK')


def finish_game_after_first_box(page):
    """Answers the open box and those that follow, No to the retry; gives
    the texts of the boxes after the first."""
    page.answer_box('OK')
    boxes = []
    while True:
        box = page.wait_box()
        boxes.append(box[1])
        if box[2] == ['はい', 'いいえ']:
            page.answer_box('いいえ')
            return boxes
        page.answer_box('OK')


def finish_game(page):
    """Answers the last stage right and gives the texts of the boxes that
    follow, answering No to the retry."""
    web.play_stage(page)
    boxes = []
    while True:
        box = page.wait_box()
        boxes.append(box[1])
        if box[2] == ['はい', 'いいえ']:
            page.answer_box('いいえ')
            return boxes
        page.answer_box('OK')


class Record(unittest.TestCase):
    def setUp(self):
        self.fixture = web.Fixture()

    def tearDown(self):
        self.fixture.close()

    def best_time_box(self, page):
        self.fixture.driver.find_element(By.ID, 'HighScore').click()
        box = page.wait_box()
        page.answer_box('OK')
        return box[1]

    def test_hostile_stored_values(self):
        page = self.fixture.open()
        for value, expected in HOSTILE:
            with self.subTest(value=value[:20], length=len(value)):
                page.store(value)
                self.fixture.driver.refresh()
                page.wait_ready()
                self.assertEqual(self.best_time_box(page), time_prompt(expected))
                # Read, never rewritten by reading.
                self.assertEqual(page.js("return localStorage.getItem('HighScore.mtt').length"), len(value))
        # A stored value that holds no time gives way to the first clear.
        page.store('42abc\r\n')
        self.fixture.driver.refresh()
        page.wait_ready()
        play_to_last_stage(page)
        boxes = finish_game(page)
        self.assertEqual(boxes[2], 'ハイスコア更新!')
        self.assertRegex(page.stored(), r'^[0-9]+\r\n$')
        self.assertEqual(page.console_errors(), [])

    def test_another_tabs_better_time_is_kept(self):
        page = self.fixture.open()
        play_to_last_stage(page)
        # Another tab of the site stores a time this game cannot beat.
        driver = self.fixture.driver
        first = driver.current_window_handle
        driver.switch_to.new_window('tab')
        driver.get(self.fixture.server.url)
        web.Page(driver).store('3\r\n')
        driver.switch_to.window(first)
        boxes = finish_game(page)
        self.assertEqual(boxes[:2], ['正解!', boxes[1]])
        self.assertTrue(boxes[1].startswith('ゲームクリア!'))
        self.assertNotIn('ハイスコア更新!', boxes)
        self.assertEqual(page.stored(), '3\r\n')
        self.assertEqual(self.best_time_box(page), time_prompt(3))

    def test_another_tabs_save_under_the_lock(self):
        page = self.fixture.open()
        play_to_last_stage(page)
        # Another tab is saving: it holds the record's lock for two seconds
        # and stores a better time before it lets go.
        driver = self.fixture.driver
        first = driver.current_window_handle
        driver.switch_to.new_window('tab')
        driver.get(self.fixture.server.url)
        web.Page(driver).js("""
            navigator.locks.request('HighScore.mtt', () => new Promise(done => setTimeout(() => {
                localStorage.setItem('HighScore.mtt', '3\\r\\n');
                done();
            }, 2000)));""")
        driver.switch_to.window(first)
        started = time.monotonic()
        web.play_stage(page)
        self.assertEqual(page.wait_box()[1], '正解!')
        self.assertGreater(time.monotonic() - started, 1.0, 'the save did not wait for the lock')
        boxes = ['正解!'] + finish_game_after_first_box(page)
        self.assertNotIn('ハイスコア更新!', boxes)
        self.assertEqual(page.stored(), '3\r\n')

    def test_storage_that_throws_on_access(self):
        # Site data blocked: every use of localStorage throws.
        page = self.fixture.open(prefs={'profile.default_content_setting_values.cookies': 2})
        self.assertTrue(page.js("try { localStorage.length; return false; } catch (e) { return true; }"))
        self.assertEqual(self.best_time_box(page), time_prompt(NONE))
        play_to_last_stage(page)
        boxes = finish_game(page)
        self.assertTrue(boxes[1].startswith('ゲームクリア!'), boxes)
        page.wait(page.title_showing)
        errors = page.console_errors()
        self.assertTrue(any('could not be saved to localStorage HighScore.mtt: SecurityError' in e for e in errors), errors)

    def test_storage_that_throws_on_write(self):
        self.fixture.server = web.Server()
        driver = self.fixture.driver = web.chromium()
        # A full quota: reading works, every write throws.
        driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': """
            Storage.prototype.setItem = function () {
                throw new DOMException('the quota is full', 'QuotaExceededError');
            };"""})
        page = web.Page(driver, self.fixture.server.url)
        play_to_last_stage(page)
        boxes = finish_game(page)
        self.assertTrue(boxes[1].startswith('ゲームクリア!'), boxes)
        # The new best is told, and then that it was not stored.
        self.assertEqual(boxes[2:], ['ハイスコア更新!', 'ハイスコアを保存できませんでした', 'また挑戦しますか？'])
        self.assertIsNone(page.stored())
        errors = page.console_errors()
        self.assertTrue(any('QuotaExceededError: the quota is full' in e for e in errors), errors)

    def test_moving_a_record(self):
        downloads = tempfile.mkdtemp(prefix='tamblo-downloads-')
        page = self.fixture.open(downloads=downloads)
        page.store('1234\r\n')
        self.fixture.driver.find_element(By.ID, 'SaveRecord').click()
        saved = pathlib.Path(downloads, 'HighScore.mtt')
        web.wait_until(lambda: saved.exists() and saved.read_bytes())
        self.assertEqual(saved.read_bytes(), b'1234\r\n')

        # Loading: a better time is kept, a worse one and a file with no
        # time leave the record as it is; the box shows the best time.
        # A file that holds no record (or a folder) says so first.
        rejected = '記録を読み込めませんでした\n\n'
        loads = [(b'57\r\n', '57\r\n', time_prompt(57)), (b'900\r\n', '57\r\n', time_prompt(57)),
                 (b'\xef\xbb\xbf12\r\n', '57\r\n', rejected + time_prompt(57)),
                 (b'', '57\r\n', rejected + time_prompt(57)), (b'\0\xff\xfe\x01', '57\r\n', rejected + time_prompt(57)),
                 (None, '57\r\n', rejected + time_prompt(57)),
                 (b'31' + b'\r\n' + b'x' * 100000, '31\r\n', time_prompt(31))]
        for content, stored, shown in loads:
            with self.subTest(content=content and content[:12]):
                path = pathlib.Path(downloads, 'load.mtt' if content is not None else 'folder.mtt')
                if content is None:
                    path.mkdir()
                else:
                    path.write_bytes(content)
                page.js("document.getElementById('RecordFile').hidden = false")
                self.fixture.driver.find_element(By.ID, 'RecordFile').send_keys(str(path))
                self.assertEqual(page.wait_box()[:2], ['ハイスコア', shown])
                page.answer_box('OK')
                self.assertEqual(page.stored(), stored)
        shutil.rmtree(downloads)


if __name__ == '__main__':
    unittest.main()
