// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Fills the canvas, and says when that frame is painted, as the game's
// page says when its title screen is.
'use strict';
const context = document.getElementById('Surface').getContext('2d');
context.fillStyle = '#000040';
context.fillRect(0, 0, 200, 450);
requestAnimationFrame(() => requestAnimationFrame(() => {
    document.documentElement.dataset.painted = String(performance.now());
}));
