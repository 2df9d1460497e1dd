// SPDX-License-Identifier: Apache-2.0
'use strict';
// The card table: each new card once, in its four forms, with the time and the reader; copied
// as tab-separated text, saved as CSV (RFC 4180). A row keeps its reader, not the reader's name,
// so the name follows the page's language.
const Cards = (() => {
  const CSV_HEADER = ['time', 'port', 'barcode', 'barcode_hex', 'cipher', 'cipher_dotted'];
  const READER_COLUMN = 1;  // in fieldsOf
  const rows = [];

  function localTime(date) {
    const two = (n) => String(n).padStart(2, '0');
    return date.getFullYear() + '-' + two(date.getMonth() + 1) + '-' + two(date.getDate()) + 'T' +
      two(date.getHours()) + ':' + two(date.getMinutes()) + ':' + two(date.getSeconds());
  }

  function fieldsOf(row) {
    return [row.time, row.reader.label, row.card.barcode, row.card.barcodeHex, row.card.cipher, row.card.cipherDotted];
  }

  // A card kept as a row. reader: the reader's entry, whose label is read each time the row is
  // shown, copied or saved.
  function record(reader, card, date = new Date()) {
    const row = { time: localTime(date), reader, card };
    rows.push(row);
    return row;
  }

  function add(table, reader, card) {
    const row = record(reader, card);
    const tr = View.el('tr');
    for (const field of fieldsOf(row)) tr.append(View.el('td', {}, field));
    row.readerCell = tr.cells[READER_COLUMN];
    table.tBodies[0].append(tr);
    return row;
  }

  // Every row's reader named again, after a change of language.
  function relabel() {
    for (const row of rows) row.readerCell.textContent = row.reader.label;
  }

  // RFC 4180: CRLF line ends; a field with a comma, a quote or a line end is quoted, its
  // quotes doubled.
  function csvField(text) {
    return /[",\r\n]/.test(text) ? '"' + text.replace(/"/g, '""') + '"' : text;
  }

  function csv() {
    return [CSV_HEADER, ...rows.map(fieldsOf)].map((fields) => fields.map(csvField).join(',') + '\r\n').join('');
  }

  function tabSeparated(headers) {
    return [headers, ...rows.map(fieldsOf)].map((fields) => fields.join('\t')).join('\n') + '\n';
  }

  return { add, record, relabel, csv, csvField, tabSeparated, count: () => rows.length };
})();
if (typeof module !== 'undefined') module.exports = Cards;
