// SPDX-License-Identifier: Apache-2.0
'use strict';
// The message log: oldest first with times, a stated limit, plain text, the byte trace's forms.
const test = require('node:test');
const assert = require('node:assert/strict');
const Log = require('../../../web/log.js');

const at = (h, m, s) => new Date(2026, 0, 1, h, m, s);
const reader = { label: 'Port 1' };
const nameOf = (entry) => entry.label;

test('lines keep their order and time; a reader\'s line is named by its reader at the moment it is shown', () => {
  const book = new Log.Book();
  let language = 'en';
  book.add(() => (language === 'en' ? 'Settings read!' : 'Настройки считаны!'), reader, at(9, 5, 7));
  book.add(() => 'Copied.', null, at(14, 30, 0));
  assert.equal(book.plainText(nameOf), '09:05:07  Port 1: Settings read!\n14:30:00  Copied.\n');
  language = 'ru';
  reader.label = 'Порт 1';
  assert.equal(book.text(book.lines[0], nameOf), '09:05:07  Порт 1: Настройки считаны!');
  reader.label = 'Port 1';
});

test('past the limit the oldest line goes and is handed back; the default limit outlasts a day of work', () => {
  const book = new Log.Book(3);
  const dropped = [];
  for (let i = 1; i <= 5; i++) {
    const added = book.add(() => 'line ' + i, null, at(8, 0, i));
    if (added.dropped) dropped.push(added.dropped.words());
  }
  assert.deepEqual(book.lines.map((l) => l.words()), ['line 3', 'line 4', 'line 5']);
  assert.deepEqual(dropped, ['line 1', 'line 2']);
  assert.equal(book.dropped, 2);
  assert.ok(Log.KEPT >= 10000);
});

test('a message of several lines stays one entry in plain text, its next lines indented', () => {
  const book = new Log.Book();
  book.add(() => 'USB reader disconnected!\r\nConnect it again', null, at(10, 0, 0));
  assert.equal(book.plainText(nameOf), '10:00:00  USB reader disconnected!\n          Connect it again\n');
});

test('bytes as hex and as text, anything outside printable ASCII a dot', () => {
  const bytes = Uint8Array.from([0x41, 0x54, 0x2b, 0x0d, 0x0a, 0x00, 0x7f, 0xff, 0x20, 0x7e]);
  assert.equal(Log.hex(bytes), '41 54 2B 0D 0A 00 7F FF 20 7E');
  assert.equal(Log.printable(bytes), 'AT+..... ~');
  assert.equal(Log.byteLine('sent', Uint8Array.from([0x41])), 'sent: 41  |A|');
  assert.equal(Log.byteLine('received', new Uint8Array()), 'received:   ||');
});
