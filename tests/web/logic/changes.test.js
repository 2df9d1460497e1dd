// SPDX-License-Identifier: Apache-2.0
'use strict';
// Choices not yet written and a profile's changes, in the words of the reader's view.
const test = require('node:test');
const assert = require('node:assert/strict');
// The core's substitution of %1 and %2, as the page has it from the WebAssembly core.
globalThis.Core = { format: (text, first, second) => text.replace(/%([12])/g, (_, n) => String((n === '1' ? first : second) ?? '')) };
const Changes = require('../../../web/changes.js');

const TEXTS = {
  TextWrite: 'WRITE', WriteCount: '%1 (%2 to change)', NotWritten: 'Not yet written: %1',
  ApplyAllAsk: 'Write this profile to %1 reader(s)?', NothingToChange: 'nothing to change',
};
const GROUPS = [
  { setting: 'interface', legend: ' 1) INTERFACES: ', choices: [
    { value: 'touch-memory', caption: 'Touch Memory' }, { value: 'wiegand-26', caption: 'Wiegand 26' },
    { value: 'wiegand-44', caption: 'Wiegand 44' }] },
  { setting: 'standby', legend: ' 3) INDICATION IN STANDBY MODE: ', choices: [
    { value: 'static', caption: 'Static' }, { value: 'off', caption: 'Off' }] },
];
const target = (...changes) => ({ status: 'ok', chars: 'W261AO', changes });
const change = (name, before, after) => ({ name, before, after });

test('a change reads in the group\'s caption and the choices\' texts; what the view lacks stays as it is', () => {
  assert.equal(Changes.line(Changes.inWords(change('interface', 'wiegand-44', 'wiegand-26'), GROUPS)),
    '1) INTERFACES: Wiegand 44 → Wiegand 26');
  assert.equal(Changes.line(Changes.inWords(change('standby', 'static', 'blinking'), GROUPS)),
    '3) INDICATION IN STANDBY MODE: Static → blinking');
  assert.equal(Changes.line(Changes.inWords(change('poll', 'on', 'off'), GROUPS)), 'poll: on → off');
});

test('unwritten choices: named per setting, in the status line and on WRITE; none when the target cannot be written', () => {
  const two = target(change('interface', 'wiegand-44', 'wiegand-26'), change('standby', 'static', 'off'));
  assert.deepEqual([...Changes.unwritten(two)], ['interface', 'standby']);
  assert.equal(Changes.pendingNote(TEXTS, two, GROUPS),
    'Not yet written: 1) INTERFACES: Wiegand 44 → Wiegand 26; 3) INDICATION IN STANDBY MODE: Static → Off');
  assert.equal(Changes.writeCaption(TEXTS, two), 'WRITE (2 to change)');

  const refused = { status: 'not-allowed', detail: 'no', changes: [change('interface', 'a', 'b')] };
  for (const none of [null, target(), refused]) {
    assert.equal(Changes.unwritten(none).size, 0);
    assert.equal(Changes.pendingNote(TEXTS, none, GROUPS), '');
    assert.equal(Changes.writeCaption(TEXTS, none), 'WRITE');
  }
});

test('the reader as on screen keeps its firmware label and takes the target\'s settings; unchanged without choices', () => {
  const reader = { family: 0, model: 'M', firmware: '1.10', payload: '1.10W441SO', chars: 'W441SO' };
  const shown = Changes.asOnScreen(reader, target(change('interface', 'wiegand-44', 'wiegand-26')));
  assert.equal(shown.payload, '1.10W261AO');
  assert.equal(shown.chars, 'W261AO');
  assert.equal(shown.firmware, '1.10');
  assert.equal(reader.payload, '1.10W441SO', 'the reader itself is left alone');
  assert.equal(Changes.asOnScreen(reader, target()), reader);
  assert.equal(Changes.asOnScreen(reader, null), reader);
});

test('the question before applying to all counts only the readers it writes and lists each one\'s changes', () => {
  const question = Changes.applyQuestion(TEXTS, [
    { label: 'Port 1', groups: GROUPS, target: target(change('interface', 'touch-memory', 'wiegand-26')) },
    { label: 'Port 2', groups: GROUPS, target: target() },
    { label: 'Port 3', groups: [], target: { status: 'not-allowed', detail: 'wiegand-58 needs a KRM reader', changes: [] } },
  ]);
  assert.equal(question.count, 1);
  assert.equal(question.text, [
    'Write this profile to 1 reader(s)?',
    'Port 1:', '  1) INTERFACES: Touch Memory → Wiegand 26',
    'Port 2: nothing to change',
    'Port 3: wiegand-58 needs a KRM reader',
  ].join('\n'));
});
