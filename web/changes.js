// SPDX-License-Identifier: Apache-2.0
'use strict';
// Changes to a reader's settings in the page's words: the group's caption and the choices'
// texts of the reader's view instead of the tool's names, for the choices not yet written and
// for what a profile would change. No DOM here.
const Changes = (() => {
  // A text of the table with %1 and %2 filled in, by the core's one substitution.
  const fill = (text, first, second) => Core.format(text, first, second);

  // A change {name, before, after} (the tool's names) in the words of a view's groups:
  // {setting, caption, before, after}. A name or value the view lacks stays as it is.
  function inWords(change, groups) {
    const group = groups.find((g) => g.setting === change.name);
    if (!group) return { setting: change.name, caption: change.name, before: change.before, after: change.after };
    const caption = (value) => {
      const choice = group.choices.find((c) => c.value === value);
      return choice ? choice.caption : value;
    };
    // The window's legends read " 1) INTERFACES: "; the change reads "1) INTERFACES Wiegand 44 → Wiegand 26".
    const legend = group.legend.trim().replace(/:$/, '');
    return { setting: change.name, caption: legend, before: caption(change.before), after: caption(change.after) };
  }

  const line = (words) => words.caption + ': ' + words.before + ' → ' + words.after;

  // The settings a target changes, by name; none when the target cannot be written.
  function unwritten(target) {
    return new Set(target && target.status === 'ok' ? target.changes.map((c) => c.name) : []);
  }

  // The status line's note on choices not yet written, or '' when the screen is the reader's.
  function pendingNote(texts, target, groups) {
    if (!target || target.status !== 'ok' || !target.changes.length) return '';
    return fill(texts.NotWritten, target.changes.map((c) => line(inWords(c, groups))).join('; '));
  }

  // WRITE's caption: how many settings it will change.
  function writeCaption(texts, target) {
    const count = unwritten(target).size;
    return count ? fill(texts.WriteCount, texts.TextWrite, count) : texts.TextWrite;
  }

  // A reader as it would be once the target is written: its firmware label kept, its
  // settings the target's, so that a profile saved from it holds what is on screen.
  function asOnScreen(reader, target) {
    if (!target || target.status !== 'ok' || !target.changes.length) return reader;
    const label = reader.payload.slice(0, reader.payload.length - reader.chars.length);
    return { ...reader, payload: label + target.chars, chars: target.chars };
  }

  // The question asked before a profile is written to several readers: for each reader its
  // label and the changes in its own words. rows: [{label, target, groups}].
  function applyQuestion(texts, rows) {
    const writing = rows.filter((r) => r.target.status === 'ok' && r.target.changes.length);
    const lines = [fill(texts.ApplyAllAsk, writing.length)];
    for (const row of rows) {
      if (row.target.status !== 'ok') lines.push(row.label + ': ' + row.target.detail);
      else if (!row.target.changes.length) lines.push(row.label + ': ' + texts.NothingToChange);
      else lines.push(row.label + ':', ...row.target.changes.map((c) => '  ' + line(inWords(c, row.groups))));
    }
    return { count: writing.length, text: lines.join('\n') };
  }

  return { inWords, line, unwritten, pendingNote, writeCaption, asOnScreen, applyQuestion };
})();
if (typeof module !== 'undefined') module.exports = Changes;
