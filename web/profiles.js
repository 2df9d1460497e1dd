// SPDX-License-Identifier: Apache-2.0
'use strict';
// Profile files, the format vireo4 reads and writes: saved from a reader, opened with the file
// picker or dropped on the page, checked by the core's parser, and shown as what would change
// on each connected reader before anything is written.
const Profiles = (() => {
  const LARGEST_PROFILE = 1 << 20;  // a profile is a few hundred bytes; far more is no profile

  function save(text, fileName) {
    const link = View.el('a', { href: URL.createObjectURL(new Blob([text], { type: 'text/plain' })), download: fileName });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 0);
  }

  // Resolves to {name, bytes}, or {name, problem} with the name of the problem's text.
  async function read(file) {
    if (file.size > LARGEST_PROFILE) return { name: file.name, problem: 'ProfileTooLarge' };
    const bytes = new Uint8Array(await file.arrayBuffer());
    return { name: file.name, bytes };
  }

  // Files from the picker and from a drop both arrive here.
  function wire(elements, onFile) {
    elements.open.addEventListener('click', () => elements.input.click());
    elements.input.addEventListener('change', () => {
      if (elements.input.files.length) onFile(elements.input.files[0]);
      elements.input.value = '';
    });
    for (const target of [elements.zone, document.body]) {
      target.addEventListener('dragover', (event) => {
        event.preventDefault();
        elements.zone.classList.add('over');
      });
      target.addEventListener('dragleave', () => elements.zone.classList.remove('over'));
      target.addEventListener('drop', (event) => {
        event.preventDefault();
        elements.zone.classList.remove('over');
        const file = event.dataTransfer && event.dataTransfer.files[0];
        if (file) onFile(file);
      });
    }
  }

  // One line per reader: its label, then each change in the reader's own words (group:
  // before → after), or why not. entries: [{label, target, groups, result}].
  function report(list, entries, texts) {
    list.replaceChildren();
    for (const { label, target, groups, result } of entries) {
      const item = View.el('li', {}, View.el('strong', {}, label));
      if (result) {
        item.append(' — ', View.el('span', { className: 'result result-' + result.status }, result.text));
      } else if (target.status !== 'ok') {
        item.append(' — ', View.el('span', { className: 'problem' }, target.detail));
      } else if (!target.changes.length) {
        item.append(' — ', texts.NothingToChange);
      }
      if (target.status === 'ok' && target.changes.length) {
        const changes = View.el('ul');
        for (const change of target.changes) {
          changes.append(View.el('li', {}, Changes.line(Changes.inWords(change, groups))));
        }
        item.append(changes);
      }
      list.append(item);
    }
  }

  return { save, read, wire, report };
})();
if (typeof module !== 'undefined') module.exports = Profiles;
