// SPDX-License-Identifier: Apache-2.0
'use strict';
// The page's message log: every message of the session with its time, oldest first, and the
// bytes of the ports whose trace is on. Kept as words (functions giving the text in the page's
// language of the moment), so that a change of language reaches earlier lines. No DOM here.
const Log = (() => {
  // A day of work is a few thousand lines; a byte trace left on for hours is what reaches this.
  const KEPT = 20000;
  const TEXT_BYTES = /^[\x20-\x7e]$/;

  const two = (n) => String(n).padStart(2, '0');
  const clock = (date) => two(date.getHours()) + ':' + two(date.getMinutes()) + ':' + two(date.getSeconds());

  // Bytes as hex pairs and as text, a byte outside printable ASCII shown as a dot.
  function hex(bytes) {
    return Array.from(bytes, (b) => b.toString(16).toUpperCase().padStart(2, '0')).join(' ');
  }

  function printable(bytes) {
    return Array.from(bytes, (b) => (TEXT_BYTES.test(String.fromCharCode(b)) ? String.fromCharCode(b) : '.')).join('');
  }

  const byteLine = (direction, bytes) => direction + ': ' + hex(bytes) + '  |' + printable(bytes) + '|';

  class Book {
    constructor(limit = KEPT) {
      this.limit = limit;
      this.lines = [];     // {time, words, source}
      this.dropped = 0;    // the oldest lines let go past the limit
    }

    // words: () => text; source: what the line is about (a reader's entry), or null. Returns
    // the line, and the line dropped to make room for it, if any.
    add(words, source, time = new Date()) {
      const line = { time, words, source: source || null };
      this.lines.push(line);
      let dropped = null;
      if (this.lines.length > this.limit) {
        dropped = this.lines.shift();
        this.dropped++;
      }
      return { line, dropped };
    }

    // A line as shown, copied and saved: "12:04:31  Port 1: Settings read!".
    text(line, nameOf) {
      const words = line.words();
      return clock(line.time) + '  ' + (line.source ? nameOf(line.source) + ': ' + words : words);
    }

    // The whole log as plain text, one line per message (a message of several lines indented).
    plainText(nameOf) {
      return this.lines.map((line) => this.text(line, nameOf).replace(/\r?\n/g, '\n          ') + '\n').join('');
    }
  }

  return { KEPT, Book, clock, hex, printable, byteLine };
})();
if (typeof module !== 'undefined') module.exports = Log;
