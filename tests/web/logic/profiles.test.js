// SPDX-License-Identifier: Apache-2.0
'use strict';
// Opening a profile file: its bytes as they are, a file far too large refused before it is read.
const test = require('node:test');
const assert = require('node:assert/strict');
const Profiles = require('../../../web/profiles.js');

test('a profile file is taken as bytes; one far larger than any profile is refused unread', async () => {
  const text = '[kru-krm]\ninterface = wiegand-26\n';
  const small = await Profiles.read(new File([text], 'site.ini'));
  assert.equal(small.name, 'site.ini');
  assert.deepEqual(Buffer.from(small.bytes).toString(), text);
  const large = new File([new Uint8Array((1 << 20) + 1)], 'huge.ini');
  large.arrayBuffer = () => assert.fail('a file that large is not read');
  assert.deepEqual(await Profiles.read(large), { name: 'huge.ini', problem: 'ProfileTooLarge' });
});
