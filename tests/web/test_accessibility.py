# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
"""A whole game played from Chromium's accessibility tree alone, as a
screen reader sees the page: every answer is chosen from the disc's words,
every box is read by its name and description, and every control is worked
through its node in the tree."""

import unittest

import tamblo_web as web

# The disc's words for every age, as the player learns them.
AGES = {'新月 (明るい部分 0%)': 0, '満月 (明るい部分 100%)': 15}
for age, percent in enumerate([1, 4, 9, 16, 25, 34, 45, 55, 66, 75, 84, 91, 96, 99], start=1):
    AGES[f'右側が明るい月 (明るい部分 {percent}%)'] = age
    AGES[f'左側が明るい月 (明るい部分 {percent}%)'] = 30 - age


def value(node, field):
    return node.get(field, {}).get('value', '')


class Tree:
    """The page's accessibility tree as Chromium gives it to a screen
    reader."""

    def __init__(self, driver):
        self.driver = driver
        driver.execute_cdp_cmd('DOM.getDocument', {})

    def nodes(self):
        return [node for node in self.driver.execute_cdp_cmd('Accessibility.getFullAXTree', {})['nodes']
                if not node.get('ignored')]

    def find(self, role, name=None):
        return [node for node in self.nodes()
                if value(node, 'role') == role and (name is None or value(node, 'name') == name)]

    def live_text(self):
        """The texts inside the polite live regions."""
        nodes = {node['nodeId']: node for node in self.nodes()}

        def texts(node):
            if value(node, 'role') == 'StaticText':
                yield value(node, 'name')
            for child in node.get('childIds', []):
                if child in nodes:
                    yield from texts(nodes[child])
        return [text for node in nodes.values()
                if any(p['name'] == 'live' and p['value'].get('value') == 'polite' for p in node.get('properties', []))
                for text in texts(node)]

    def press(self, node, parent=False):
        """The node's default action, as assistive technology asks for it:
        a click on the element (on the element that holds a text)."""
        target = self.driver.execute_cdp_cmd('DOM.resolveNode', {'backendNodeId': node['backendDOMNodeId']})
        self.driver.execute_cdp_cmd('Runtime.callFunctionOn', {
            'objectId': target['object']['objectId'],
            'functionDeclaration': 'function (up) { (up ? this.parentElement : this).click(); }',
            'arguments': [{'value': parent}]})


class PlayWithoutSight(unittest.TestCase):
    def setUp(self):
        self.fixture = web.Fixture()
        self.page = self.fixture.open()
        self.tree = Tree(self.fixture.driver)

    def tearDown(self):
        self.fixture.close()

    def wait(self, condition, message):
        return self.page.wait(condition, message=message)

    def read_box(self):
        """The open dialog: its name, its description and the name of the
        control that has the focus."""
        dialogs = self.wait(lambda: self.tree.find('dialog'), 'no box opened')
        self.assertEqual(len(dialogs), 1)
        focused = [value(node, 'name') for node in self.tree.nodes() if value(node, 'role') != 'RootWebArea'
                   and any(p['name'] == 'focused' and p['value'].get('value') for p in node.get('properties', []))]
        return value(dialogs[0], 'name'), value(dialogs[0], 'description'), focused

    def answer_box(self, choice):
        """Presses `choice` and waits until the box is gone or another
        one, with another text, shows."""
        def described():
            return [value(node, 'description') for node in self.tree.find('dialog')]
        before = described()
        self.tree.press(self.tree.find('button', choice)[-1])
        self.wait(lambda: described() != before, 'the box stayed')

    def test_a_whole_game_from_the_tree(self):
        tree = self.tree
        self.assertEqual(tree.find('image'), [], 'the title screen has no disc')
        title = next(node for node in tree.find('StaticText') if value(node, 'name').strip() == 'Tamblo')
        tree.press(title, parent=True)
        heard = None
        for stage in range(6):
            disc = self.wait(lambda: [n for n in tree.find('image') if value(n, 'name') != heard],
                             f'stage {stage}: no new disc in words')
            heard = value(disc[0], 'name')
            self.assertIn(heard, AGES, f'stage {stage}')
            self.wait(lambda: tree.live_text() == [heard], f'stage {stage}: the stage was not announced')
            answer = tree.find('button', str(AGES[heard]))
            self.assertEqual(len(answer), 1, f'stage {stage}: {heard}')
            tree.press(answer[0])
            self.assertEqual(self.read_box(), ('Tamblo', '正解!', ['OK']), f'stage {stage}')
            self.answer_box('OK')
        name, description, focused = self.read_box()
        self.assertEqual((name, focused), ('Tamblo', ['OK']))
        self.assertRegex(description, r'^ゲームクリア!\s+所要時間 \d+\.\d秒$')
        self.answer_box('OK')
        self.assertEqual(self.read_box(), ('Tamblo', 'ハイスコア更新!', ['OK']))
        self.answer_box('OK')
        self.assertEqual(self.read_box(), ('Tamblo', 'また挑戦しますか？', ['はい']))
        self.answer_box('いいえ')
        # The title screen again, with no disc and nothing to announce.
        self.wait(lambda: tree.find('image') == [] and tree.live_text() == [], 'the title did not come back')


if __name__ == '__main__':
    unittest.main()
