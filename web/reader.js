// SPDX-License-Identifier: Apache-2.0
'use strict';
// A reader on a port and what can be done with it, as vireo4 does it: each is one request of the
// core's reader engine, run on the port's link. Each result carries a status word of vireo4's
// (ok, no-answer, refused, garbage, firmware-unsupported, unconfirmed, ...) and its words,
// texts[language].
const Readers = (() => {
  // One settings query to a family.
  const query = (link, family) => link.run(Core.engine.read(family));

  // The KRU/KRM query first (the USB query first when the port is the Vireo-4-USB's).
  const identify = (link, usbFirst) => link.run(Core.engine.identify(usbFirst));

  // Writes a target's characters and reads the settings back: ok (changed), refused, mismatch
  // (after: what was read back), unconfirmed, or the port's failure when nothing went out.
  const writeAndVerify = (link, reader, target) => link.run(Core.engine.write(reader.family, target.chars));

  // One card query.
  const readCard = (link, reader) => link.run(Core.engine.card(reader.firmwareVersion));

  // One step of a card watch: newCard, newFailure, endsWatch, and the watch for the next step.
  const watchCard = (link, reader, watch) => link.run(Core.engine.watch(reader.firmwareVersion, watch));

  return { query, identify, writeAndVerify, readCard, watchCard };
})();
