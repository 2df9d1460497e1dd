'use strict';
// A reader on a port and what can be done with it, as vireo4 does it: identify it by its
// settings reply, read, write then read back, read a card. Each result carries a status word
// of vireo4's (ok, no-answer, refused, garbage, firmware-unsupported, unconfirmed, ...).
const Readers = (() => {
  const REPLY_CAPACITY = 64;  // the window's reply buffer; a longer reply is judged from its start

  // Sends a command and reads its reply; a foreign reply (noise, the tail of an earlier reply)
  // sends the command again after the line's quiet, as vireo4 does. sent: any try went out.
  async function ask(link, command) {
    const { fit, commandTries, deadlineMs, silenceMs } = Core.constants;
    let sent = false;
    let reply = null;
    for (let attempt = 0; attempt < commandTries; ++attempt) {
      reply = await link.exchange(command, (bytes) => Core.fit(command, bytes) !== fit.partial,
        deadlineMs, REPLY_CAPACITY, silenceMs);
      sent = sent || reply.sent;
      if (reply.heard !== 'complete' && reply.heard !== 'incomplete') break;
      if (Core.fit(command, reply.bytes) !== fit.foreign) break;
    }
    return { ...reply, sent };
  }

  // One settings query to a family.
  async function query(link, family) {
    const command = Core.settingsQuery(family);
    const reply = await ask(link, command);
    if (reply.heard === 'io-error') return { status: 'io-error' };
    if (reply.heard === 'nothing') return { status: 'no-answer' };
    return Core.judgeSettings(family, reply.bytes);
  }

  // The KRU/KRM query first (the USB query first when the port is the Vireo-4-USB's); the other
  // only when the first got an answer that was not a settings reply, so a silent port costs one
  // deadline.
  async function identify(link, usbFirst) {
    const { kruKrm, usb } = Core.constants;
    const first = await query(link, usbFirst ? usb : kruKrm);
    if (first.status !== 'refused' && first.status !== 'garbage') return first;
    const other = await query(link, usbFirst ? kruKrm : usb);
    return other.status === 'no-answer' ? first : other;
  }

  // Writes a target's command and reads the settings back: ok (written and verified),
  // refused, mismatch, unconfirmed (sent, but no acknowledgement or read-back came), or
  // io-error when the command never went out.
  async function writeAndVerify(link, reader, target) {
    const command = Core.bytesOf(target.command);
    const reply = await ask(link, command);
    if (!reply.sent) return { status: 'io-error', changed: false };
    const ack = reply.bytes.length ? Core.judgeWrite(command, reply.bytes) : { status: 'no-answer' };
    if (ack.status === 'refused') return { status: 'refused', changed: null };
    if (ack.status !== 'ok') return { status: 'unconfirmed', changed: null };
    const after = await query(link, reader.family);
    if (after.status !== 'ok') return { status: 'unconfirmed', changed: null, acknowledged: true };
    if (after.chars !== target.chars) {
      return { status: 'mismatch', changed: null, acknowledged: true, after };
    }
    return { status: 'ok', changed: true, acknowledged: true, after };
  }

  // One card query.
  async function readCard(link, reader) {
    const allowed = Core.cardAllowed(reader.firmwareVersion);
    if (allowed.status !== 'ok') return allowed;
    const command = Core.cardQuery();
    const reply = await ask(link, command);
    if (reply.heard === 'io-error') return { status: 'io-error' };
    if (reply.heard === 'nothing') return { status: 'no-answer' };
    return Core.judgeCard(reply.bytes);
  }

  return { query, identify, writeAndVerify, readCard };
})();
