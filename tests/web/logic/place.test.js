// SPDX-License-Identifier: Apache-2.0
'use strict';
// Where the page can work: framed by another origin, outside a secure context, without Web Serial.
const test = require('node:test');
const assert = require('node:assert/strict');
const Place = require('../../../web/place.js');

function place({ secure = true, serial = true, top = 'self', origin = 'https://vireo.example' } = {}) {
  const win = { isSecureContext: secure, navigator: serial ? { serial: {} } : {}, location: { origin } };
  win.self = win;
  if (top === 'self') win.top = win;
  else if (top === 'foreign') Object.defineProperty(win, 'top', { get: () => ({ get location() { throw new Error('SecurityError'); } }) });
  else win.top = { location: { origin: top } };
  return win;
}

test('a frame of another origin is refused before anything else; a frame of the page\'s own origin is not', () => {
  assert.equal(Place.obstacle(place({ top: 'foreign' })), 'framed');
  assert.equal(Place.obstacle(place({ top: 'http://localhost:9000', secure: false })), 'framed');
  assert.equal(Place.obstacle(place({ top: 'https://vireo.example' })), null);
});

test('outside a secure context the cause is the context, not the browser; Web Serial missing only where it is', () => {
  assert.equal(Place.obstacle(place({ secure: false, serial: false })), 'insecure');
  assert.equal(Place.obstacle(place({ serial: false })), 'unsupported');
  assert.equal(Place.obstacle(place()), null);
});

test('installable over https and from localhost; not from a file or plain http elsewhere', () => {
  const at = (url) => Place.installable(new URL(url));
  assert.deepEqual(['https://intranet/vireo/', 'http://localhost:8000/', 'http://127.0.0.1/', 'http://[::1]:8080/']
    .map(at), [true, true, true, true]);
  assert.deepEqual(['file:///srv/web/index.html', 'http://intranet/vireo/'].map(at), [false, false]);
});
