// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// The page's side of the game: the elements of the game area, the canvas,
// the boxes, the clock and the storage. The module (tamblo.js) decides
// everything; this script only carries out its calls and forwards the
// player's input to it.
'use strict';

(() => {
    const $ = id => document.getElementById(id);
    const form = $('Form1');
    const surface = $('Surface');
    const label1 = $('Label1');
    const label2 = $('Label2');
    const box = $('Box');
    const ButtonCount = 30;

    // The picture of the game area at the design's size, which the style
    // holds; the canvas shows it scaled to device pixels without smoothing.
    const design = getComputedStyle(document.documentElement);
    const ClientWidth = parseInt(design.getPropertyValue('--design-client-width'), 10);
    const ClientHeight = parseInt(design.getPropertyValue('--design-client-height'), 10);
    const MenuHeight = parseInt(design.getPropertyValue('--menu-height'), 10);
    const picture = document.createElement('canvas');
    picture.width = ClientWidth;
    picture.height = ClientHeight;

    // The tenth-second timer. Its ticks are counted from a monotonic clock
    // rather than by a repeating browser timer, which hidden tabs slow down:
    // while it runs, one tick is due for every whole interval (the
    // design's tick, which the module hands over) since it was switched on.
    // The module takes the ticks due at each of its events.
    const clock = {since: null, counted: 0, interval: 1};

    // The module runs one event at a time; while a box holds an event
    // suspended no other event may enter it.
    let module = null;
    let busy = true;
    // Input that comes before the module is ready, run in order once it is.
    const held = [];
    let storageFailure = '';
    let releaseLock = null;
    const RecordKey = 'HighScore.mtt';

    // Another tab's save reaches this page's storage with a message of its
    // own, which may come a moment after that tab has let go of the lock.
    // A save that had to wait for the lock therefore waits, under it, for
    // that tab's change (the storage event), at most a tenth of a second:
    // a tab whose save changed nothing sends none.
    // Listening opens the page's storage, which takes the browser a while:
    // it starts with the module, after the first frame.
    let recordChanges = 0;
    let changesBeforeWait = null;
    let changeWaiter = null;
    function listenToOtherTabs() {
        addEventListener('storage', event => {
            if (event.key !== RecordKey && event.key !== null)
                return;
            ++recordChanges;
            if (changeWaiter)
                changeWaiter();
        });
    }

    function awaitOtherTabsWrite(done) {
        const finish = () => {
            clearTimeout(timer);
            changeWaiter = null;
            done();
        };
        const timer = setTimeout(finish, 100);
        changeWaiter = finish;
    }
    const encoder = new TextEncoder();

    function button(index) {
        return $('Command1_' + index);
    }

    // A touch screen's pointer: the game then takes all the room there is.
    const coarse = matchMedia('(pointer: coarse)');

    // The game's scale for the room that the window leaves it (the ratio
    // of the window's size to the game's, the tighter side). With a mouse,
    // whole multiples, so that every pixel of the game stays an even block;
    // a touch screen takes the largest scale that fits, for the largest
    // buttons. Below 1 only in a window smaller than the game.
    function scaleFor(room, touch) {
        return touch || room < 1 ? room : Math.floor(room);
    }

    // Fits the game, menu bar and game area together, to the window,
    // centred on whole device pixels, and sizes the canvas in device pixels.
    // The boxes take the same scale from their --scale. Every size comes
    // from the style, so that fitting lays nothing out before the first
    // frame does.
    function fit() {
        const game = $('game');
        const width = ClientWidth;
        const height = MenuHeight + ClientHeight;
        const scale = scaleFor(Math.min(innerWidth / width, innerHeight / height), coarse.matches);
        const onDevicePixel = length => Math.max(0, Math.floor(length * devicePixelRatio) / devicePixelRatio);
        const left = onDevicePixel((innerWidth - width * scale) / 2);
        const top = onDevicePixel((innerHeight - height * scale) / 2);
        game.style.transform = `translate(${left}px, ${top}px) scale(${scale})`;
        box.style.setProperty('--scale', String(scale));
        const ratio = devicePixelRatio * scale;
        surface.width = Math.round(ClientWidth * ratio);
        surface.height = Math.round(ClientHeight * ratio);
        show();
    }

    // Until the module paints, the game area's own background shows: the
    // first frame needs no drawing context.
    let painted = false;
    function show() {
        if (!painted)
            return;
        const context = surface.getContext('2d');
        context.imageSmoothingEnabled = false;
        context.drawImage(picture, 0, 0, surface.width, surface.height);
    }

    function describe(error) {
        return error && error.name ? `${error.name}: ${error.message}` : String(error);
    }

    window.TambloPage = {
        // The box with the module's buttons; gives the index of the one
        // pressed, or -1 when it closed without one.
        showBox(prompt, buttons, title) {
            return new Promise(resolve => {
                $('BoxTitle').textContent = title;
                $('BoxPrompt').textContent = prompt.replace(/\r\n/g, '\n');
                $('BoxButtons').replaceChildren(...buttons.map((text, index) => {
                    const choice = document.createElement('button');
                    choice.value = String(index);
                    choice.textContent = text;
                    return choice;
                }));
                box.returnValue = '';
                // Escape closes it with no answer, as closing a box does.
                box.addEventListener('close', () => {
                    seatFocus();
                    resolve(box.returnValue === '' ? -1 : Number(box.returnValue));
                }, {once: true});
                box.showModal();
                $('BoxButtons').firstChild.focus();
            });
        },

        setTimer(enabled, interval) {
            clock.since = enabled ? performance.now() : null;
            clock.counted = 0;
            clock.interval = interval;
        },

        takeTicks() {
            if (clock.since === null)
                return 0;
            const due = Math.floor((performance.now() - clock.since) / clock.interval) - clock.counted;
            clock.counted += due;
            return due;
        },

        paint(rgba, width, height) {
            picture.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height), 0, 0);
            painted = true;
            show();
        },

        // The disc in words: the canvas's name as an image, and said once
        // through the live region as the stage shows.
        describeDisc(text) {
            surface.setAttribute('role', 'img');
            surface.setAttribute('aria-label', text);
            $('Announce').textContent = text;
        },

        showTitle(title, prompt) {
            // The title screen shows no disc.
            surface.removeAttribute('role');
            surface.removeAttribute('aria-label');
            $('Announce').textContent = '';
            label1.hidden = false;
            label1.textContent = title;
            label2.textContent = prompt;
            label2.style.top = '';
            for (let index = ButtonCount - 1; index > 0; --index)
                button(index)?.remove();
            button(0).hidden = true;
            button(0).textContent = 'Command1';
        },

        showQuestion(question, top) {
            label1.hidden = true;
            label2.style.top = top + 'px';
            label2.textContent = question;
        },

        createAnswerButtons() {
            for (let index = 1; index < ButtonCount; ++index) {
                const element = button(0).cloneNode(true);
                element.id = 'Command1_' + index;
                element.hidden = false;
                form.append(element);
            }
        },

        sizeButton(index, width, height) {
            const element = button(index);
            element.hidden = false;
            element.style.width = width + 'px';
            element.style.height = height + 'px';
            return element.offsetWidth << 16 | element.offsetHeight;
        },

        placeButton(index, left, top) {
            const element = button(index);
            element.style.left = left + 'px';
            element.style.top = top + 'px';
        },

        setCaption(index, caption) {
            button(index).textContent = caption;
        },

        hideButton(index) {
            button(index).hidden = true;
        },

        buttonCaption(index) {
            return button(index).textContent;
        },

        // The first `limit` bytes of the value's UTF-8 text; whether they
        // are all of it is the module's to tell. Every UTF-16 unit of a
        // string takes at least one byte, so the first limit + 1 units hold
        // those bytes (the extra unit completes a pair that the cut would
        // split): a value of megabytes is never encoded whole.
        readStorage(key, limit) {
            let value;
            try {
                value = localStorage.getItem(key);
            } catch (error) {
                storageFailure = describe(error);
                return {};
            }
            if (value === null)
                return {missing: true};
            return {bytes: encoder.encode(value.slice(0, limit + 1)).subarray(0, limit)};
        },

        writeStorage(key, text) {
            try {
                localStorage.setItem(key, text);
                return true;
            } catch (error) {
                storageFailure = describe(error);
                return false;
            }
        },

        storageError() {
            return storageFailure;
        },

        // The record's lock, held from the moment the browser grants it
        // until releaseLock(). Taken only when free: the record's own rules
        // decide how long to wait for another tab.
        takeLock() {
            if (!navigator.locks)
                return Promise.resolve(true);
            return new Promise(resolve => {
                navigator.locks.request(RecordKey, {ifAvailable: true}, lock => {
                    if (lock === null) {
                        if (changesBeforeWait === null)
                            changesBeforeWait = recordChanges;
                        resolve(false);
                        return undefined;
                    }
                    const waited = changesBeforeWait;
                    changesBeforeWait = null;
                    if (waited === null || recordChanges !== waited)
                        resolve(true);
                    else
                        awaitOtherTabsWrite(() => resolve(true));
                    return new Promise(release => { releaseLock = release; });
                }).catch(error => {
                    // A page that may not use locks (an opaque origin) has
                    // no other tab to keep apart from.
                    console.warn('tamblo: no lock for the record:', describe(error));
                    resolve(true);
                });
            });
        },

        releaseLock() {
            if (releaseLock)
                releaseLock();
            releaseLock = null;
        },
    };

    // Runs one event in the module; gives false when it could not enter.
    async function forward(entry, ...args) {
        if (busy)
            return false;
        busy = true;
        try {
            await module.ccall(entry, null, args.map(() => 'number'), args, {async: true});
        } finally {
            busy = false;
        }
        return true;
    }

    // The page takes input at once; input that comes before the module is
    // ready (a click on the title, the menu's ハイスコア) waits for it.
    async function whenReady(entry, ...args) {
        if (module === null) {
            const call = [entry, ...args];
            if (!held.some(other => other.join() === call.join()))
                held.push(call);
            return;
        }
        await forward(entry, ...args);
    }

    function clickTitle() {
        whenReady('tamblo_click_title');
    }

    // A menu item gives the keyboard back to the game area when it is done,
    // as a desktop menu does: Return on the title then starts the game
    // rather than choosing the item again.
    function leaveMenu() {
        if ($('menubar').contains(document.activeElement))
            document.activeElement.blur();
    }

    // A closed box gives the focus back to where it was, often an answer
    // button, which the next stage captions anew: the game area takes it
    // instead, so that no key answers a question the player has not seen,
    // and the first Tab goes to the first answer.
    function seatFocus() {
        const focused = document.activeElement;
        if (focused === null || focused === document.body || focused.classList.contains('answer'))
            form.focus({preventScroll: true});
    }

    // A held key repeats: its repeats never answer. With the focus seated
    // above, the key that closed a box, held or pressed again, reaches no
    // answer either.
    document.addEventListener('keydown', event => {
        if (event.repeat && event.target.closest?.('.answer'))
            event.preventDefault();
    }, true);

    label1.addEventListener('click', clickTitle);
    label2.addEventListener('click', clickTitle);
    form.addEventListener('click', event => {
        const target = event.target.closest('.answer');
        if (target)
            forward('tamblo_answer', Number(target.id.slice('Command1_'.length)));
    });
    // The game's own keys, numbered as the module numbers them; what they
    // do, and when, is the module's to decide.
    const GameKeys = {'Enter': 0, ' ': 1};
    document.addEventListener('keydown', event => {
        const onPage = [document.body, document.documentElement, form].includes(event.target);
        const key = GameKeys[event.key];
        if (onPage && key !== undefined && !box.open) {
            event.preventDefault();
            whenReady('tamblo_key', key, event.repeat ? 1 : 0);
        }
    });
    $('HighScore').addEventListener('click', async () => {
        await whenReady('tamblo_high_score');
        leaveMenu();
    });

    // The record as a file, to carry between the browser and the desktop.
    $('SaveRecord').addEventListener('click', () => {
        if (busy)
            return;
        const text = module.UTF8ToString(module._tamblo_record_file());
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([text], {type: 'application/octet-stream'}));
        link.download = 'HighScore.mtt';
        link.click();
        setTimeout(() => URL.revokeObjectURL(link.href), 0);
        leaveMenu();
    });
    $('LoadRecord').addEventListener('click', () => {
        if (!busy)
            $('RecordFile').click();
    });
    // Only the file's first bytes are read: the number stands at its start.
    // The module counts as busy while they are read, so that no event
    // enters it (and no box suspends it) before they are handed over.
    $('RecordFile').addEventListener('change', async event => {
        const file = event.target.files[0];
        event.target.value = '';
        if (!file || busy)
            return;
        busy = true;
        const size = module._tamblo_record_buffer_size();
        let bytes;
        try {
            bytes = new Uint8Array(await file.slice(0, size).arrayBuffer());
        } catch (error) {
            // A folder, or a file that may not be read: the game says so.
            console.warn('tamblo: the record file could not be read:', describe(error));
            bytes = null;
        } finally {
            busy = false;
        }
        if (bytes === null) {
            await forward('tamblo_load_record', -1);
        } else {
            module.HEAPU8.set(bytes, module._tamblo_record_buffer());
            await forward('tamblo_load_record', bytes.length);
        }
        leaveMenu();
    });

    addEventListener('resize', fit);
    coarse.addEventListener('change', fit);
    fit();
    document.documentElement.classList.remove('starting');

    // A module that cannot be loaded (refused, a broken network, a browser
    // without WebAssembly) is told in the game area, with a button that
    // loads the page again; the title takes no more input. One that has
    // not come after a while is told the same way, and still taken if it
    // comes after all.
    const LoadDeadline = 8000;
    function loadFailed(reason, log = console.error) {
        if (module !== null)
            return;
        log('tamblo: the game could not be loaded:', describe(reason));
        held.length = 0;
        label1.hidden = true;
        label2.hidden = true;
        $('LoadFailure').hidden = false;
    }
    $('Reload').addEventListener('click', () => location.reload());
    const deadline = setTimeout(() => loadFailed(`no module after ${LoadDeadline / 1000} s`, console.warn), LoadDeadline);

    // The module's script runs once the title screen is painted: it is
    // fetched from the start (the page preloads it), but running it before
    // would hold the first frame back. A page that is hidden paints no
    // frame, so a timer starts it too, whichever comes first.
    let moduleStarted = false;
    function startModule() {
        if (moduleStarted)
            return;
        moduleStarted = true;
        listenToOtherTabs();
        const failed = reason => {
            clearTimeout(deadline);
            loadFailed(reason);
        };
        if (typeof WebAssembly !== 'object')
            return failed('no WebAssembly');
        const script = document.createElement('script');
        script.src = 'tamblo.js';
        script.onerror = () => failed('tamblo.js could not be loaded');
        script.onload = () => {
            if (typeof createTamblo !== 'function')
                return failed('tamblo.js did not run');
            createTamblo().then(ready, failed);
        };
        document.head.append(script);
    }
    requestAnimationFrame(() => setTimeout(startModule));
    setTimeout(startModule, 100);

    async function ready(instance) {
        clearTimeout(deadline);
        // Late, after the page told that it failed: the title again.
        if (!$('LoadFailure').hidden) {
            $('LoadFailure').hidden = true;
            label2.hidden = false;
        }
        module = instance;
        busy = false;
        // When the first frame after the module is ready is painted, for
        // the tests and the start-up benchmark.
        requestAnimationFrame(() => requestAnimationFrame(() => {
            document.documentElement.dataset.ready = String(performance.now());
        }));
        for (const call of held.splice(0))
            await forward(...call);
    }

    // Offline play once the site has been visited, and every new release:
    // after the load, so that neither competes with the game's own files.
    // The worker is registered under the name of the release that the
    // server holds now, asked past every cache: a new name is a new worker,
    // which fetches that release whole and serves it from the next load.
    if ('serviceWorker' in navigator) {
        addEventListener('load', async () => {
            let release;
            try {
                const response = await fetch('release.txt', {cache: 'no-store'});
                release = response.ok ? (await response.text()).trim() : '';
            } catch (error) {
                return;  // no server: the release this page runs stays
            }
            if (/^[0-9a-f]{16}$/.test(release)) {
                navigator.serviceWorker.register('sw.js?release=' + release)
                    .catch(error => console.warn('tamblo: no offline copy:', describe(error)));
            }
        });
    }
})();
