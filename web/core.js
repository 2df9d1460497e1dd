// SPDX-License-Identifier: Apache-2.0
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
    // The reader engine: one per request, run by Serial.Link.run and ended there.
    engine: {
      identify: (usbFirst) => wasm._vw_engine_identify(usbFirst ? 1 : 0, constants.deadlineMs),
      read: (family) => wasm._vw_engine_read(family, constants.deadlineMs),
      write: (family, chars) => withBytes(bytesOf(chars), (p, n) => wasm._vw_engine_write(family, p, n,
        constants.deadlineMs)),
      card: (firmwareVersion) => wasm._vw_engine_card(firmwareVersion, constants.deadlineMs),
      watch: (firmwareVersion, watch) => wasm._vw_engine_watch(firmwareVersion, constants.deadlineMs,
        watch ? (watch.holding ? 1 : 0) : 0, watch ? watch.barcode : 0, watch ? watch.cipher : 0,
        watch ? watch.reported : 0),
      next: (engine, now) => take(wasm._vw_engine_next(engine, now)),
      heard: (engine, bytes, now) => withBytes(bytes, (p, n) => wasm._vw_engine_heard(engine, p, n, now)),
      sent: (engine, result, now) => wasm._vw_engine_sent(engine, result, now),
      lineHeard: (engine, lastByteAt) => wasm._vw_engine_line_heard(engine, lastByteAt),
      failed: (engine, now) => wasm._vw_engine_failed(engine, now),
      end: (engine) => wasm._vw_engine_end(engine),
    },
    // A text of the page with %1 and %2 filled in, as vireo4 fills its texts in.
    format: (text, first, second) => {
      const utf8 = (value) => new TextEncoder().encode(value === undefined ? '' : String(value));
      return withBytes(utf8(text), (t, tn) => withBytes(utf8(first), (a, an) => withBytes(utf8(second), (b, bn) =>
        take(wasm._vw_format(t, tn, a, an, b, bn)).text)));
    },
    // What a status word of vireo4's says, in a language.
    statusText: (status, language) => withBytes(bytesOf(status), (p, n) =>
      take(wasm._vw_status_text(p, n, language)).text),
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
