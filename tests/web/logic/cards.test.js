// SPDX-License-Identifier: Apache-2.0
'use strict';
// The card table's text forms.
const test = require('node:test');
const assert = require('node:assert/strict');
const Cards = require('../../../web/cards.js');

const card = (barcode, cipher) => ({ barcode, barcodeHex: 'hex' + barcode, cipher, cipherDotted: 'd' + cipher });

test('CSV after RFC 4180: CRLF ends, a field with a comma, quote or line end quoted, quotes doubled', () => {
  assert.equal(Cards.csvField('plain'), 'plain');
  assert.equal(Cards.csvField('a,b'), '"a,b"');
  assert.equal(Cards.csvField('say "hi"'), '"say ""hi"""');
  assert.equal(Cards.csvField('two\nlines'), '"two\nlines"');
  assert.equal(Cards.csvField('cr\r'), '"cr\r"');

  const reader = { label: 'Port 1, "bench"' };
  Cards.record(reader, card('0001234567', '0000054321'), new Date(2026, 2, 4, 5, 6, 7));
  assert.equal(Cards.csv(), 'time,port,barcode,barcode_hex,cipher,cipher_dotted\r\n' +
    '2026-03-04T05:06:07,"Port 1, ""bench""",0001234567,hex0001234567,0000054321,d0000054321\r\n');
  // The reader's name is read when the table is copied: a change of language reaches it.
  reader.label = 'Порт 1';
  assert.equal(Cards.tabSeparated(['T', 'R', 'B', 'H', 'C', 'D']),
    'T\tR\tB\tH\tC\tD\n2026-03-04T05:06:07\tПорт 1\t0001234567\thex0001234567\t0000054321\td0000054321\n');
  assert.equal(Cards.count(), 1);
});
