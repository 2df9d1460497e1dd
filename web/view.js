// SPDX-License-Identifier: Apache-2.0
'use strict';
// Building the page's elements. Whatever came from a reader or a file is only ever set as
// text (textContent, value), never parsed as markup.
const View = (() => {
  // el('p', {className: 'x'}, 'text', child...): attributes as properties, children as text or nodes.
  function el(tag, properties, ...children) {
    const node = document.createElement(tag);
    Object.assign(node, properties || {});
    for (const child of children) node.append(child);
    return node;
  }

  // Gives every [data-text] element its text in the current language.
  function applyTexts(texts, root) {
    for (const node of (root || document).querySelectorAll('[data-text]')) {
      const text = texts[node.dataset.text];
      if (text !== undefined) node.textContent = text;
    }
  }

  // The window's groups of one reader: a fieldset with its legend and radios per setting, and
  // beside each the group's lamp in the "Indic." column.
  function settings(container, view, texts, options) {
    container.replaceChildren();
    const frame = el('div', { className: 'indic' }, el('span', { className: 'indic-caption' }, texts.TextIndic));
    frame.setAttribute('aria-hidden', 'true');
    frame.style.gridRow = '1 / span ' + view.groups.length;
    container.append(frame);
    view.groups.forEach((group, row) => {
      const fieldset = el('fieldset', { className: 'group', disabled: !group.enabled || options.disabled });
      fieldset.dataset.setting = group.setting;
      fieldset.style.gridRow = String(row + 1);
      fieldset.append(el('legend', {}, group.legend.trim()));
      for (const choice of group.choices) {
        const input = el('input', {
          type: 'radio', name: 'setting-' + group.setting, value: choice.value,
          checked: choice.checked, disabled: !choice.enabled,
        });
        input.addEventListener('change', () => options.onChoose(group.setting, choice.value));
        fieldset.append(el('label', { className: 'choice' }, input, ' ', choice.caption));
      }
      container.append(fieldset);
      const lamp = el('span', { className: 'lamp' });
      lamp.setAttribute('aria-hidden', 'true');
      lamp.style.backgroundColor = group.lamp;
      lamp.style.gridRow = String(row + 1);
      lamp.dataset.setting = group.setting;
      container.append(lamp);
    });
  }

  return { el, applyTexts, settings };
})();
