// SPDX-License-Identifier: Apache-2.0
'use strict';
// Why a port did not open, from the DOMException the browser raised.
const test = require('node:test');
const assert = require('node:assert/strict');
const Serial = require('../../../web/serial.js');

const failure = (name, message) => Serial.openFailure(Object.assign(new Error(message), { name }));

test('open failures by cause, each keeping the browser\'s words', () => {
  assert.deepEqual(failure('NetworkError', 'Failed to open serial port.'),
    { status: 'unavailable', detail: 'Failed to open serial port.' });
  assert.equal(failure('InvalidStateError', 'The port is already open.').status, 'busy');
  assert.equal(failure('NetworkError', 'Permission denied.').status, 'denied');
  assert.equal(failure('NotAllowedError', 'Access denied.').status, 'denied');
  assert.equal(failure('SecurityError', 'Blocked by policy.').status, 'denied');
  assert.equal(failure('NotFoundError', 'The device has been lost.').status, 'gone');
  assert.deepEqual(failure('UnknownError', 'Something odd.'), { status: 'port-error', detail: 'Something odd.' });
  assert.deepEqual(Serial.openFailure(undefined), { status: 'port-error', detail: '' });
});
