# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""A whole game played through the accessibility bus alone, as a screen
reader plays it: every answer is chosen from the disc's description and an
age table of this script's own, every button is pressed through its
action, every box is read by its title and text, and the game is cleared.
Runs inside an X server and a D-Bus session of its own
(accessibility-test.sh). Usage: play_without_sight.py <tamblo> <record>"""

import os
import re
import subprocess
import sys
import time

import gi

gi.require_version('Atspi', '2.0')
from gi.repository import Atspi, GLib  # noqa: E402

# The disc's words for every age, as the player learns them.
AGES = {'新月 (明るい部分 0%)': 0, '満月 (明るい部分 100%)': 15}
for day, percent in enumerate([1, 4, 9, 16, 25, 34, 45, 55, 66, 75, 84, 91, 96, 99], start=1):
    AGES[f'右側が明るい月 (明るい部分 {percent}%)'] = day
    AGES[f'左側が明るい月 (明るい部分 {percent}%)'] = 30 - day


def fail(message):
    print(f'FAIL: {message}')
    sys.exit(1)


def wait_for(condition, what, timeout=20):
    """Polls, letting the bus's events in, until the condition holds."""
    end = time.monotonic() + timeout
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        try:
            value = condition()
        except GLib.Error:
            value = None  # an object went away while it was read: again
        if value:
            return value
        time.sleep(0.05)
    fail(f'timed out waiting for {what}')


def walk(node):
    yield node
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            yield from walk(child)


def shown(node):
    return node.get_state_set().contains(Atspi.StateType.VISIBLE)


def application(pid):
    desktop = Atspi.get_desktop(0)
    for index in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(index)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find(root, *roles, name=None):
    return [node for node in walk(root)
            if node.get_role() in roles and shown(node) and (name is None or node.get_name() == name)]


def press(button):
    """The button's first action (press), as a screen reader asks for it."""
    if button.get_n_actions() < 1:
        fail(f'the button {button.get_name()!r} offers no action')
    button.do_action(0)


def windows(app):
    return [app.get_child_at_index(i) for i in range(app.get_child_count())]


def open_box(app):
    """The open box: (its title, its text, the box)."""
    boxes = [w for w in windows(app) if w is not None and w.get_role() in (Atspi.Role.DIALOG, Atspi.Role.ALERT)
             and shown(w)]
    if len(boxes) != 1:
        return None
    box = boxes[0]
    texts = [n.get_name() for n in find(box, Atspi.Role.LABEL, Atspi.Role.STATIC) if n.get_name()]
    return box.get_name(), ' '.join(' '.join(texts).split()), box


def answer_box(app, expected_title, expected_text, choice, last=False):
    """Reads the open box and presses `choice`; unless it is the `last`,
    which ends the game, waits until the box has gone."""
    title, text, box = wait_for(lambda: open_box(app), f'the box {expected_text!r}')
    if title != expected_title or not re.fullmatch(expected_text, text):
        fail(f'the box reads {title!r}: {text!r}, not {expected_title!r}: {expected_text!r}')
    buttons = find(box, Atspi.Role.PUSH_BUTTON, name=choice)
    if len(buttons) != 1:
        fail(f'the box {text!r} has no button {choice!r}')
    press(buttons[0])
    if last:
        return text

    def closed():
        still = open_box(app)
        return still is None or still[2] != box
    wait_for(closed, f'the box {text!r} to close')
    return text


def main():
    game, record = sys.argv[1], sys.argv[2]
    # The disc's changes as the bus tells them to a screen reader, one for
    # every new disc.
    told = []

    def on_description(event):
        if event.source.get_role() == Atspi.Role.IMAGE:
            told.append(event.type)

    listener = Atspi.EventListener.new(on_description)
    listener.register('object:property-change:accessible-description')

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_QPA_PLATFORM='xcb')
    process = subprocess.Popen([game], env=env)
    try:
        app = wait_for(lambda: application(process.pid), 'the game on the accessibility bus')
        frame = wait_for(lambda: [w for w in windows(app) if w is not None and w.get_role() == Atspi.Role.FRAME
                                  and shown(w)], 'the game window')[0]
        if find(frame, Atspi.Role.IMAGE):
            fail('the title screen shows a disc')
        # The title screen starts from Return, as from a click.
        window = wait_for(lambda: subprocess.run(['xdotool', 'search', '--onlyvisible', '--pid', str(process.pid)],
                                                 capture_output=True, text=True).stdout.split(), 'the X window')[0]
        subprocess.run(['xdotool', 'windowfocus', '--sync', window], check=False)
        subprocess.run(['xdotool', 'key', 'Return'], check=True)

        heard = None
        for stage in range(6):
            def new_disc():
                discs = find(frame, Atspi.Role.IMAGE, name='月')
                return discs if discs and discs[0].get_description() != heard else None
            disc = wait_for(new_disc, f'stage {stage}: a new disc in words')[0]
            heard = disc.get_description()
            if heard not in AGES:
                fail(f'stage {stage}: no age reads {heard!r}')
            wait_for(lambda: len(told) > stage, f'stage {stage}: the new description to be told')
            age = str(AGES[heard])
            buttons = find(frame, Atspi.Role.PUSH_BUTTON, name=age)
            if len(buttons) != 1:
                fail(f'stage {stage}: {len(buttons)} buttons say {age}')
            press(buttons[0])
            answer_box(app, 'Tamblo', '正解!', 'OK')
            print(f'stage {stage}: heard {heard!r}, answered {age}')
        cleared = answer_box(app, 'Tamblo', r'ゲームクリア! 所要時間 \d+\.\d秒', 'OK')
        answer_box(app, 'Tamblo', 'ハイスコア更新!', 'OK')
        answer_box(app, 'Tamblo', 'また挑戦しますか？', 'いいえ', last=True)
        status = process.wait(timeout=20)
        if status != 0:
            fail(f'the game ended with status {status}')
        with open(record, 'rb') as file:
            saved = file.read()
        tenths = int(cleared.split()[-1].removesuffix('秒').replace('.', ''))
        if saved != f'{tenths}\r\n'.encode():
            fail(f'the record holds {saved!r} after {cleared!r}')
        print(f'cleared by ear: {cleared}; record {saved!r}')
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


if __name__ == '__main__':
    main()
