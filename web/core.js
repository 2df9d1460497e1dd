'use strict';
// The reader core in WebAssembly (vireo-core.js): every rule the page follows is a call here.
// Bytes from a reader or a file go in as bytes; what comes back is JSON, whose byte strings
// (setting characters, commands) carry one character per byte.
const Core = (() => {
  let wasm = null;
  let constants = null;

  function take(pointer) {
    const text = wasm.UTF8ToString(pointer);
    wasm._vw_free(pointer);
    return JSON.parse(text);
  }

  // Calls fn(pointer, length) with the bytes copied into the module's memory.
  function withBytes(bytes, fn) {
    const pointer = wasm._malloc(Math.max(bytes.length, 1));
    wasm.HEAPU8.set(bytes, pointer);
    try {
      return fn(pointer, bytes.length);
    } finally {
      wasm._free(pointer);
    }
  }

  function byteString(bytes) {
    let text = '';
    for (const b of bytes) text += String.fromCharCode(b);
    return text;
  }

  function bytesOf(text) {
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i) & 0xff;
    return bytes;
  }

  // A reader as the core sees it: family, model letter, firmware number and payload.
  function readerArgs(reader) {
    return [reader.family, reader.model.charCodeAt(0) || 0, reader.firmwareVersion];
  }

  function withReader(reader, fn) {
    return withBytes(bytesOf(reader.payload), (p, n) => fn(...readerArgs(reader), p, n));
  }

  return {
    async load() {
      wasm = await VireoCore();
      constants = take(wasm._vw_constants());
      return constants;
    },
    get constants() { return constants; },
    byteString,
    bytesOf,
    texts: (language) => take(wasm._vw_texts(language)),
    settingsQuery: (family) => bytesOf(take(wasm._vw_query(family)).command),
    cardQuery: () => bytesOf(take(wasm._vw_query(-1)).command),
    // Whether the bytes received can be judged: the whole reply to command, a refusal, or bytes
    // that are no reply to it.
    fit: (command, bytes) => withBytes(command, (c, m) => withBytes(bytes, (p, n) => wasm._vw_fit_reply(c, m, p, n))),
    judgeSettings: (family, bytes) => withBytes(bytes, (p, n) => take(wasm._vw_judge_settings(family, p, n))),
    judgeWrite: (command, bytes) => withBytes(command, (c, m) =>
      withBytes(bytes, (p, n) => take(wasm._vw_judge_write(c, m, p, n)))),
    cardAllowed: (firmwareVersion) => take(wasm._vw_card_allowed(firmwareVersion)),
    judgeCard: (bytes) => withBytes(bytes, (p, n) => take(wasm._vw_judge_card(p, n))),
    // The user's choices travel as "name=value" lines.
    view: (reader, choices, language) => withReader(reader, (...args) =>
      withBytes(bytesOf(choices), (p, n) => take(wasm._vw_view(...args, p, n, language)))),
    choose: (reader, choices, setting, value) => withReader(reader, (...args) =>
      withBytes(bytesOf(choices), (p, n) =>
        withBytes(bytesOf(setting + '=' + value), (q, m) => take(wasm._vw_choose(...args, p, n, q, m))))),
    target: (reader, choices, language) => withReader(reader, (...args) =>
      withBytes(bytesOf(choices), (p, n) => take(wasm._vw_target(...args, p, n, language)))),
    profileText: (reader, label) => withReader(reader, (...args) =>
      withBytes(new TextEncoder().encode(label), (p, n) => take(wasm._vw_profile_text(...args, p, n)))),
    checkProfile: (bytes, language) =>
      withBytes(bytes, (p, n) => take(wasm._vw_profile_check(p, n, language))),
    profileTarget: (bytes, reader, language) => withBytes(bytes, (p, n) =>
      withReader(reader, (...args) => take(wasm._vw_profile_target(p, n, ...args, language)))),
  };
})();
