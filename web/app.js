// SPDX-License-Identifier: Apache-2.0
'use strict';
// The page: readers on the ports the user granted, the selected reader's settings as the
// window's groups, card IDs, profiles and the messages. Nothing is written to a reader except
// on a click of WRITE or of an apply; opening, reopening and reconnecting only read.
(() => {
  const LANGUAGE_KEY = 'vireo4.language';
  const $ = (id) => document.getElementById(id);

  const state = {
    language: 1,
    texts: {},
    entries: [],
    log: new Log.Book(),
    selected: null,
    profile: null,   // {name, bytes} of the profile opened
    results: null,   // Map entry -> result of the last apply
    watching: null,  // {entry, watch, timer}
    nextNumber: 1,
  };

  const fill = (text, first, second) => Core.format(text, first, second);

  // What stays on screen after its moment (messages, a reader's note, an apply's result) is kept
  // as words: a function that words it in the page's language of the moment, so a change of
  // language reaches it. wordsOf gives the words of a text of the table, filled in.
  const wordsOf = (name, first, second) => () => fill(state.texts[name], first, second);

  // What a status word of vireo4's says, in the page's language.
  const statusText = (status) => Core.statusText(status, state.language);

  // The words of an engine's outcome, in the page's language of the moment.
  const outcomeWords = (result) => () => result.texts[state.language];

  class Entry {
    constructor(port) {
      this.port = port;
      this.link = new Serial.Link(port);
      this.number = state.nextNumber++;
      this.info = null;    // the reader's judged settings reply
      this.choices = '';   // the user's choices since the last read, as "name=value" lines
      this.gone = false;
      this.busy = false;
      this.note = null;    // the words of the last outcome, shown under the reader's heading
      this.trace = false;  // the bytes of this port go to the messages
      this.replyLine = null;  // the log line of the reply coming in, while it grows
      this.watchBytes();
    }

    // The bytes of a reply come in pieces: they grow one line until the next command, or
    // until another line comes between.
    watchBytes() {
      this.link.onBytes = (direction, bytes) => {
        if (!this.trace) return;
        const last = state.log.lines[state.log.lines.length - 1];
        if (direction === 'received' && this.replyLine && this.replyLine.line === last) {
          this.replyLine.bytes.push(...bytes);
          relog(last);
          return;
        }
        const copy = Array.from(bytes);
        const name = direction === 'sent' ? 'BytesSent' : 'BytesReceived';
        const line = log(() => Log.byteLine(state.texts[name], copy), this);
        this.replyLine = direction === 'received' ? { line, bytes: copy } : null;
      };
    }

    get label() {
      const info = this.port.getInfo();
      if (info.usbVendorId === undefined) return fill(state.texts.PortName, this.number);
      const hex = (n) => n.toString(16).toUpperCase().padStart(4, '0');
      return fill(state.texts.UsbPortName, this.number, hex(info.usbVendorId) + ':' + hex(info.usbProductId));
    }

    get ready() { return !this.gone && this.info !== null && this.info.status === 'ok'; }

    get isUsbReader() {
      const info = this.port.getInfo();
      return info.usbVendorId === Core.constants.usbVendorId && info.usbProductId === Core.constants.usbProductId;
    }
  }

  // ---- messages ----

  const nameOf = (entry) => entry.label;

  // Adds a line to the log and to its list, oldest first, the newest kept in view.
  function log(words, entry) {
    const { line, dropped } = state.log.add(words, entry);
    line.item = View.el('li', {}, state.log.text(line, nameOf));
    const list = $('messages');
    const frame = list.parentElement;
    const atEnd = frame.scrollTop + frame.clientHeight >= frame.scrollHeight - 4;
    list.append(line.item);
    if (dropped) dropped.item.remove();
    if (atEnd) frame.scrollTop = frame.scrollHeight;
    return line;
  }

  function relog(line) {
    line.item.textContent = state.log.text(line, nameOf);
  }

  // words: a function giving the message in the page's language of the moment. A message
  // about a reader is also its note under its heading.
  function say(words, entry) {
    log(words, entry);
    if (entry) {
      entry.note = words;
      if (entry === state.selected) $('reader-state').textContent = words();
    }
  }

  function renderMessages() {
    for (const line of state.log.lines) relog(line);
    $('log-kept').textContent = fill(state.texts.LogKept, Log.KEPT.toLocaleString(document.documentElement.lang));
  }

  // ---- the reader list and the selected reader ----

  function renderList() {
    const list = $('reader-list');
    list.replaceChildren();
    for (const entry of state.entries) {
      const parts = [entry.label];
      if (entry.info && entry.info.modelName) parts.push(entry.info.modelName + ' ' + entry.info.firmware);
      if (entry.gone) parts.push(state.texts.Disconnected);
      const button = View.el('button', { type: 'button', className: entry.gone ? 'gone' : '' }, parts.join(' — '));
      button.setAttribute('aria-pressed', entry === state.selected ? 'true' : 'false');
      button.addEventListener('click', () => select(entry));
      list.append(View.el('li', {}, button));
    }
    $('no-readers').hidden = state.entries.length > 0;
  }

  function select(entry) {
    state.selected = entry;
    renderList();
    renderReader();
  }

  function renderReader() {
    const entry = state.selected;
    $('reader').hidden = !entry;
    updateCardButtons();
    if (!entry) return;
    const info = entry.info;
    $('reader-heading').textContent = entry.label + (info && info.modelName ? ' — ' + info.modelName : '');
    $('firmware').textContent = info && info.firmware ? info.firmware : '—';
    $('reader-state').textContent = entry.gone ? state.texts.Gone : entry.busy ? state.texts.Working
      : entry.note ? entry.note() : '';
    const container = $('settings');
    const target = pending(entry);
    $('unwritten').textContent = target ? Changes.pendingNote(state.texts, target, Core.view(info, '', state.language).groups) : '';
    $('write').textContent = Changes.writeCaption(state.texts, target);
    $('trace').checked = entry.trace;
    // A reader pulled out keeps its settings on screen, greyed, until it is back.
    if (entry.info && entry.info.status === 'ok') {
      const focused = document.activeElement;
      const keep = focused && focused.name && container.contains(focused) ? [focused.name, focused.value] : null;
      const view = Core.view(entry.info, entry.choices, state.language);
      View.settings(container, view, state.texts, {
        disabled: entry.busy || entry.gone,
        onChoose: (setting, value) => choose(entry, setting, value),
      });
      markUnwritten(container, target);
      if (keep) {
        const again = container.querySelector(`input[name="${keep[0]}"][value="${keep[1]}"]`);
        if (again) again.focus();
      }
    } else {
      container.replaceChildren();
    }
    $('lamp-legend').hidden = !container.childElementCount;
    $('read').disabled = entry.gone || entry.busy;
    $('write').disabled = !entry.ready || entry.busy;
  }

  // What WRITE would change on an entry's reader: its target, or null while the screen shows
  // the reader's own settings.
  function pending(entry) {
    if (!entry || !entry.choices || !entry.info || entry.info.status !== 'ok') return null;
    return Core.target(entry.info, entry.choices, state.language);
  }

  // Each group whose choice on screen is not the reader's is marked so.
  function markUnwritten(container, target) {
    const names = Changes.unwritten(target);
    for (const fieldset of container.querySelectorAll('fieldset')) {
      if (!names.has(fieldset.dataset.setting)) continue;
      fieldset.classList.add('unwritten');
      fieldset.querySelector('legend').append(' ', View.el('span', { className: 'mark' }, '(' + state.texts.NotWrittenMark + ')'));
    }
  }

  function anyUnwritten() {
    return state.entries.some((entry) => !entry.gone && Changes.unwritten(pending(entry)).size > 0);
  }

  function updateCardButtons() {
    const entry = state.selected;
    const usable = entry && entry.ready && !entry.busy;
    const watching = state.watching !== null;
    $('read-card').disabled = !usable || watching;
    $('watch').disabled = !(usable || (watching && state.watching.entry === entry));
    $('watch').setAttribute('aria-pressed', watching ? 'true' : 'false');
    $('watch').textContent = watching ? state.texts.StopWatching : state.texts.WatchCards;
    $('copy-cards').disabled = Cards.count() === 0;
    $('save-csv').disabled = Cards.count() === 0;
    $('save-profile').disabled = !(entry && entry.ready);
    $('save-read-profile').hidden = !(entry && entry.ready && Changes.unwritten(pending(entry)).size);
    const anyReady = state.entries.some((e) => e.ready);
    $('apply-this').disabled = !state.profile || !(entry && entry.ready && !entry.busy);
    $('apply-all').disabled = !state.profile || !anyReady;
  }

  function renderAll() {
    renderList();
    renderReader();
    renderProfile();
  }

  // Runs an operation alone on the entry's port, with its controls off meanwhile.
  async function operate(entry, task) {
    return entry.link.exclusive(async () => {
      entry.busy = true;
      if (entry === state.selected) renderReader();
      try {
        return await task();
      } finally {
        entry.busy = false;
        renderAll();
      }
    });
  }

  // ---- reading ----

  // A settings reply taken into the entry: its settings on screen, the window's messages.
  function take(entry, info, announce) {
    if (info.status === 'ok') {
      entry.info = info;
      entry.choices = '';
      if (announce) say(wordsOf(info.found), entry);
      say(wordsOf('TextSettingsRead'), entry);
      // The core words the problems in one language: asked again in the language shown.
      Core.view(info, '', state.language).problems.forEach((_, i) =>
        say(() => Core.view(info, '', state.language).problems[i], entry));
    } else if (info.status === 'firmware-unsupported') {
      entry.info = info;
      say(() => state.texts.TextFirmwareUnsupported + ' (' + info.firmware + ')', entry);
    } else {
      say(outcomeWords(info), entry);
    }
  }

  // Why a port did not open, in the page's words; for a cause without words, the browser's.
  function openFailed(entry, failure) {
    const { status, detail } = typeof failure === 'string' ? { status: failure, detail: '' } : failure;
    const causes = { busy: 'OpenBusy', unavailable: 'BusyOrDenied', denied: 'OpenDenied', gone: 'PortGone' };
    say(() => {
      const t = state.texts;
      return fill(t.CannotOpen, causes[status] ? t[causes[status]] : detail || t.OpenFailed);
    }, entry);
  }

  // The time from a read's start to its result on screen, for anyone measuring the page.
  function measured() {
    performance.measure('vireo-read', 'vireo-read-start');
    performance.clearMarks('vireo-read-start');
  }

  async function identify(entry) {
    const info = await Readers.identify(entry.link, entry.isUsbReader);
    take(entry, info, true);
    renderAll();
  }

  // A granted port, from a click, from the list of ports granted before, or plugged in: opened
  // and read at once.
  async function attach(port, chosen) {
    let entry = state.entries.find((e) => e.port === port);
    if (entry && !entry.gone) {
      select(entry);
      return;
    }
    if (!entry) {
      entry = new Entry(port);
      state.entries.push(entry);
    }
    entry.gone = false;
    entry.info = null;
    if (chosen || !state.selected || state.selected.gone) state.selected = entry;
    renderAll();
    await operate(entry, async () => {
      performance.mark('vireo-read-start');
      const failure = await entry.link.open(Core.constants);
      if (failure) {
        openFailed(entry, failure);
        return;
      }
      await identify(entry);
      measured();
    });
  }

  async function readAgain(entry) {
    await operate(entry, async () => {
      performance.mark('vireo-read-start');
      if (entry.link.ended) {
        const failure = await entry.link.open(Core.constants);
        if (failure) {
          openFailed(entry, failure);
          return;
        }
      }
      const info = entry.info && entry.info.status === 'ok'
        ? await Readers.query(entry.link, entry.info.family)
        : await Readers.identify(entry.link, entry.isUsbReader);
      take(entry, info, false);
      renderAll();
      measured();
    });
  }

  function lost(port) {
    const entry = state.entries.find((e) => e.port === port);
    if (!entry || entry.gone) return;
    entry.gone = true;
    if (state.watching && state.watching.entry === entry) stopWatching();
    entry.link.close();
    const family = entry.info ? entry.info.family : Core.constants.kruKrm;
    say(() => {
      const t = state.texts;
      return family === Core.constants.usb ? t.TextUsbDisconnected.replace(/\n\r?/g, ' ')
        : t.TextConnectionBroken + ' (' + entry.label + ' ' + t.TextDisabled + ')';
    }, entry);
    renderAll();
  }

  // A port plugged in again may come as a new object; it takes the place of the vanished entry
  // with the same USB identity, if exactly one has it.
  function replug(port) {
    const info = port.getInfo();
    const same = state.entries.filter((e) => e.gone && e.port !== port &&
      e.port.getInfo().usbVendorId === info.usbVendorId && e.port.getInfo().usbProductId === info.usbProductId);
    if (same.length === 1) {
      same[0].port = port;
      same[0].link = new Serial.Link(port);
      same[0].watchBytes();
    }
    attach(port);
  }

  // A port the user no longer wants: the browser forgets its grant where it can, and the page
  // its entry either way.
  async function forget(entry) {
    if (state.watching && state.watching.entry === entry) stopWatching();
    entry.gone = true;
    await entry.link.exclusive(() => entry.link.close());
    if (typeof entry.port.forget === 'function') {
      try {
        await entry.port.forget();
      } catch (error) { /* the grant stays; the entry goes all the same */ }
    }
    say(wordsOf('Forgotten'), entry);
    state.entries = state.entries.filter((e) => e !== entry);
    if (state.selected === entry) state.selected = state.entries.find((e) => !e.gone) || null;
    renderAll();
  }

  // ---- choosing and writing ----

  function choose(entry, setting, value) {
    entry.choices = Core.choose(entry.info, entry.choices, setting, value).choices;
    renderReader();
  }

  function writeOutcome(result) {
    const t = state.texts;
    return result.status === 'ok' ? t.Verified : result.texts[state.language];
  }

  // Writes a target to an entry's reader and reads it back; the entry takes what was read.
  async function writeTarget(entry, target) {
    const result = await Readers.writeAndVerify(entry.link, entry.info, target);
    if (result.acknowledged) say(wordsOf('TextSettingsWritten'), entry);
    if (result.after) {
      entry.info = result.after;
      entry.choices = '';
    }
    result.words = () => writeOutcome(result);
    say(result.words, entry);
    return result;
  }

  async function write(entry) {
    const target = Core.target(entry.info, entry.choices, state.language);
    if (target.status !== 'ok') {
      const { info, choices } = entry;
      say(() => Core.target(info, choices, state.language).detail, entry);
      return;
    }
    if (!target.changes.length) {
      say(wordsOf('Unchanged'), entry);
      return;
    }
    await operate(entry, () => writeTarget(entry, target));
  }

  // ---- cards ----

  async function readCard(entry) {
    const result = await operate(entry, () => Readers.readCard(entry.link, entry.info));
    if (result.status === 'ok') Cards.add($('card-table'), entry, result.card);
    else say(outcomeWords(result), entry);
    updateCardButtons();
  }

  function stopWatching() {
    if (!state.watching) return;
    clearTimeout(state.watching.timer);
    state.watching = null;
    updateCardButtons();
  }

  function startWatching(entry) {
    const watching = { entry, watch: null, timer: null };
    state.watching = watching;
    updateCardButtons();
    const tick = async () => {
      if (state.watching !== watching) return;
      const result = await entry.link.exclusive(() => Readers.watchCard(entry.link, entry.info, watching.watch));
      if (state.watching !== watching) return;
      watching.watch = result.watch;
      if (result.newCard) Cards.add($('card-table'), entry, result.card);
      if (result.newFailure) say(outcomeWords(result), entry);
      if (result.endsWatch || entry.gone) {
        stopWatching();
        return;
      }
      updateCardButtons();
      watching.timer = setTimeout(tick, Core.constants.watchIntervalMs);
    };
    tick();
  }

  // ---- profiles ----

  function renderProfile() {
    const profile = state.profile;
    $('profile-report').hidden = !profile;
    if (!profile) return;
    $('profile-heading').textContent = fill(state.texts.WouldChange, profile.name);
    const checked = profile.bytes ? Core.checkProfile(profile.bytes, state.language)
      : { ok: false, error: state.texts[profile.problem] };
    $('profile-problem').textContent = checked.ok ? '' : checked.error;
    $('profile-problem').hidden = checked.ok;
    const rows = [];
    if (checked.ok) {
      for (const entry of state.entries.filter((e) => e.ready)) {
        const target = Core.profileTarget(profile.bytes, entry.info, state.language);
        const result = state.results && state.results.get(entry);
        rows.push({ label: entry.label, target, groups: Core.view(entry.info, '', state.language).groups,
          result: result && { status: result.status, text: result.words() } });
      }
    }
    Profiles.report($('profile-changes'), rows, state.texts);
    profile.usable = checked.ok;
    updateCardButtons();
    if (!checked.ok) {
      $('apply-this').disabled = true;
      $('apply-all').disabled = true;
    }
  }

  async function openProfile(file) {
    state.profile = await Profiles.read(file);
    state.results = null;
    renderProfile();
  }

  // Before a profile goes to several readers, the user sees what it changes on each and says yes once.
  function confirmAll(entries) {
    const rows = entries.map((entry) => ({
      label: entry.label,
      target: Core.profileTarget(state.profile.bytes, entry.info, state.language),
      groups: Core.view(entry.info, '', state.language).groups,
    }));
    const question = Changes.applyQuestion(state.texts, rows);
    return question.count === 0 || window.confirm(question.text);
  }

  async function applyProfile(entries) {
    const profile = state.profile;
    state.results = new Map();
    await Promise.all(entries.map((entry) => operate(entry, async () => {
      const info = entry.info;
      const target = Core.profileTarget(profile.bytes, info, state.language);
      let result;
      if (target.status !== 'ok') {
        result = { status: target.status, words: () => Core.profileTarget(profile.bytes, info, state.language).detail };
      } else if (!target.changes.length) {
        result = { status: 'ok', words: wordsOf('Unchanged') };
      } else {
        result = await writeTarget(entry, target);
      }
      state.results.set(entry, result);
    })));
    renderProfile();
    say(wordsOf('Applied', entries.length));
  }

  // ---- language ----

  function setLanguage(language) {
    state.language = language;
    state.texts = Core.texts(language);
    document.documentElement.lang = language === Core.constants.russian ? 'ru' : 'en';
    document.title = state.texts.Title;
    $('language').value = String(language);
    View.applyTexts(state.texts);
    renderAll();
    renderMessages();
    Cards.relabel();
  }

  // Site data may be blocked (the browser then throws on any use of localStorage): the
  // language is then simply not remembered.
  function remembered(key, value) {
    try {
      if (value === undefined) return window.localStorage.getItem(key);
      window.localStorage.setItem(key, value);
    } catch (error) { /* not remembered */ }
    return null;
  }

  function firstLanguage() {
    const stored = remembered(LANGUAGE_KEY);
    if (stored === '0' || stored === '1') return Number(stored);
    const browser = (navigator.language || '').toLowerCase();
    return browser.startsWith('ru') ? Core.constants.russian : Core.constants.english;
  }

  // ---- start ----

  function wire() {
    $('language').addEventListener('change', () => {
      const language = Number($('language').value);
      remembered(LANGUAGE_KEY, String(language));
      setLanguage(language);
    });
    const request = async (filters) => {
      let port;
      try {
        port = await navigator.serial.requestPort({ filters });
      } catch (error) {
        // Chromium says NotFoundError both when the chooser is closed and when it listed nothing.
        if (error && error.name === 'NotFoundError') say(wordsOf('NoneChosen'));
        else {
          const problem = String(error && error.message || error);  // the browser's words
          say(() => problem);
        }
        return;
      }
      attach(port, true);
    };
    $('connect-usb').addEventListener('click', () =>
      request([{ usbVendorId: Core.constants.usbVendorId, usbProductId: Core.constants.usbProductId }]));
    $('connect-any').addEventListener('click', () => request([]));
    $('read').addEventListener('click', () => state.selected && readAgain(state.selected));
    $('write').addEventListener('click', () => state.selected && state.selected.ready && write(state.selected));
    $('read-card').addEventListener('click', () => state.selected && state.selected.ready && readCard(state.selected));
    $('watch').addEventListener('click', () => {
      if (state.watching) stopWatching();
      else if (state.selected && state.selected.ready) startWatching(state.selected);
    });
    $('copy-cards').addEventListener('click', async () => {
      const t = state.texts;
      const headers = [t.CardTime, t.CardReader, t.TextBarcode, t.TextBarcodeInHex, t.TextCipherId, t.TextCipherIdDotted];
      try {
        await navigator.clipboard.writeText(Cards.tabSeparated(headers));
        say(wordsOf('Copied'));
      } catch (error) {
        const problem = String(error.message || error);  // the browser's words, in its own language
        say(() => problem);
      }
    });
    $('save-csv').addEventListener('click', () => Profiles.save(Cards.csv(), 'cards.csv'));
    $('save-profile').addEventListener('click', () => {
      const entry = state.selected;
      if (!entry || !entry.ready) return;
      const target = pending(entry);
      if (target && target.status !== 'ok') {
        const { info, choices } = entry;
        say(() => Core.target(info, choices, state.language).detail, entry);
        return;
      }
      const profile = Core.profileText(Changes.asOnScreen(entry.info, target), entry.label);
      Profiles.save(profile.text, profile.fileName);
    });
    // With choices not yet written, the reader's own values can be kept too (before a change, say).
    $('save-read-profile').addEventListener('click', () => {
      const entry = state.selected;
      if (!entry || !entry.ready) return;
      const profile = Core.profileText(entry.info, entry.label);
      Profiles.save(profile.text, profile.fileName);
    });
    Profiles.wire({ open: $('open-profile'), input: $('profile-file'), zone: $('drop-zone') }, openProfile);
    $('apply-this').addEventListener('click', () => state.selected && state.selected.ready && applyProfile([state.selected]));
    $('apply-all').addEventListener('click', () => {
      const entries = state.entries.filter((e) => e.ready);
      if (confirmAll(entries)) applyProfile(entries);
    });
    $('forget').addEventListener('click', () => state.selected && forget(state.selected));
    $('trace').addEventListener('change', () => {
      if (state.selected) state.selected.trace = $('trace').checked;
    });
    $('copy-log').addEventListener('click', async () => {
      try {
        await navigator.clipboard.writeText(state.log.plainText(nameOf));
        say(wordsOf('Copied'));
      } catch (error) {
        const problem = String(error.message || error);
        say(() => problem);
      }
    });
    $('save-log').addEventListener('click', () => Profiles.save(state.log.plainText(nameOf), 'vireotool-4-messages.txt'));
    window.addEventListener('beforeunload', (event) => {
      if (!anyUnwritten()) return;
      event.preventDefault();
      event.returnValue = '';
    });
    navigator.serial.addEventListener('connect', (event) => replug(event.target));
    navigator.serial.addEventListener('disconnect', (event) => lost(event.target));
  }

  // Why the page cannot work here, in words, if it cannot.
  function obstacle() {
    const words = {
      framed: { words: () => state.texts.Framed },
      insecure: { words: () => fill(state.texts.Insecure, location.host) },
      unsupported: { words: () => state.texts.UnsupportedBrowser, otherPrograms: true },
    };
    return words[Place.obstacle(window)] || null;
  }

  async function start() {
    await Core.load();
    setLanguage(firstLanguage());
    const why = obstacle();
    if (why) {
      $('unsupported').hidden = false;
      $('unsupported-why').textContent = why.words();
      $('unsupported-advice').hidden = !why.otherPrograms;
      $('language').addEventListener('change', () => {
        setLanguage(Number($('language').value));
        $('unsupported-why').textContent = why.words();
      });
      performance.mark('vireo-ready');
      return;
    }
    $('page').hidden = false;
    wire();
    renderAll();
    renderMessages();
    performance.mark('vireo-ready');
    if (Place.installable(location)) {
      document.head.append(View.el('link', { rel: 'manifest', href: 'manifest.webmanifest' }));
      if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
    }
    let granted = [];
    try {
      granted = await navigator.serial.getPorts();
    } catch (error) {
      // A browser that keeps no grants (or a policy that forbids them): ports are asked for anew.
    }
    for (const port of granted) attach(port);
  }

  // A page that cannot start says why, in its language when the core's texts came, else in both.
  function failed(error) {
    const problem = String(error && error.message || error);
    $('page').hidden = true;
    $('unsupported').hidden = true;
    $('failed').hidden = false;
    $('failed-detail').textContent = state.texts.StartFailed ? fill(state.texts.StartFailed, problem) : problem;
    performance.mark('vireo-ready');
  }

  document.addEventListener('DOMContentLoaded', () => {
    $('loading').hidden = true;
    start().catch(failed);
  });
})();
