// SPDX-License-Identifier: Apache-2.0
'use strict';
// One port through the browser's Web Serial: opened with the reader's line settings, read by
// one loop that waits for bytes (nothing spins while the reader is idle), and talked to by the
// core's reader engine, one request at a time: this file only moves bytes and tells the time.
const Serial = (() => {
  // Why open() failed, from the DOMException the browser raises: {status, detail}, the detail
  // being the browser's own words. Chromium on Linux says NetworkError ("Failed to open serial
  // port.") alike for a port another program holds and for one the system refuses this user:
  // that is 'unavailable', either of the two, unless its words speak of permission.
  function openFailure(error) {
    const name = error && error.name;
    const detail = String(error && error.message || error || '');
    if (name === 'NotAllowedError' || name === 'SecurityError' ||
        (name === 'NetworkError' && /denied|permission/i.test(detail))) return { status: 'denied', detail };
    if (name === 'NetworkError') return { status: 'unavailable', detail };
    if (name === 'InvalidStateError') return { status: 'busy', detail };
    if (name === 'NotFoundError') return { status: 'gone', detail };
    return { status: 'port-error', detail };
  }

  class Link {
    constructor(port) {
      this.port = port;
      this.received = [];
      this.wake = null;     // resolves the exchange waiting for bytes
      this.ended = true;    // not open, gone or closed: no bytes will come
      this.reader = null;
      this.loop = null;     // the read loop, done once the port gives no more bytes
      this.lastByteAt = -Infinity;
      this.turn = Promise.resolve();
      this.onBytes = null;  // (direction 'sent' or 'received', bytes), for the page's byte trace
    }

    // Opens the port; resolves to null, or to what openFailure says of the failure.
    async open(constants) {
      try {
        await this.port.open({
          baudRate: constants.baudRate,
          dataBits: constants.dataBits,
          stopBits: constants.stopBits,
          parity: constants.parity,
          flowControl: 'none',
        });
      } catch (error) {
        return openFailure(error);
      }
      this.ended = false;
      this.received = [];
      this.loop = this.readLoop();
      return null;
    }

    async readLoop() {
      // A parity or framing error gives a fresh readable; a lost device leaves none.
      while (this.port.readable && !this.ended) {
        this.reader = this.port.readable.getReader();
        try {
          for (;;) {
            const { value, done } = await this.reader.read();
            if (done) break;
            if (value && value.length) {
              for (const b of value) this.received.push(b);
              this.lastByteAt = performance.now();
              if (this.onBytes) this.onBytes('received', value);
              this.notify();
            }
          }
        } catch (error) {
          // Ended below when the port has no readable any more.
        } finally {
          this.reader.releaseLock();
          this.reader = null;
        }
      }
      this.ended = true;
      this.notify();
    }

    notify() {
      if (this.wake) {
        const wake = this.wake;
        this.wake = null;
        wake();
      }
    }

    // Runs task alone on this port: commands never interleave.
    exclusive(task) {
      const run = this.turn.then(task, task);
      this.turn = run.catch(() => {});
      return run;
    }

    // Runs one request of the core's reader engine on this port: the engine says what to send
    // and how long to listen, and is told what came, with the time. Resolves to its outcome.
    async run(engine) {
      // Bytes come in batches: a line heard a moment ago may still be talking.
      if (Number.isFinite(this.lastByteAt)) Core.engine.lineHeard(engine, this.lastByteAt);
      try {
        for (;;) {
          const action = Core.engine.next(engine, performance.now());
          if (action.action === 'done') return action.outcome;
          if (action.action === 'send') {
            Core.engine.sent(engine, await this.send(Core.bytesOf(action.bytes)), performance.now());
          } else if (!this.received.length && this.ended) {
            Core.engine.failed(engine, performance.now());
          } else {
            await this.bytesWithin(action.waitMs);
            const bytes = Uint8Array.from(this.received.splice(0, action.maxBytes));
            Core.engine.heard(engine, bytes, performance.now());
          }
        }
      } finally {
        Core.engine.end(engine);
      }
    }

    // Writes bytes: 0 when they went out, 2 when not (the engine's send results).
    async send(bytes) {
      if (this.ended || !this.port.writable) return 2;
      const writer = this.port.writable.getWriter();
      try {
        await writer.write(bytes);
        if (this.onBytes) this.onBytes('sent', bytes);
        return 0;
      } catch (error) {
        return 2;
      } finally {
        writer.releaseLock();
      }
    }

    // Resolves once bytes have come or the port ended, or after waitMs (at once for 0).
    async bytesWithin(waitMs) {
      if (this.received.length || this.ended || waitMs <= 0) return;
      let timer = null;
      try {
        await new Promise((resolve) => {
          this.wake = resolve;
          timer = setTimeout(resolve, waitMs);
        });
      } finally {
        this.wake = null;
        clearTimeout(timer);
      }
    }

    // The port closes only once the read loop has let go of its stream.
    async close() {
      this.ended = true;
      try {
        if (this.reader) await this.reader.cancel();
      } catch (error) { /* already gone */ }
      if (this.loop) await this.loop;
      try {
        await this.port.close();
      } catch (error) { /* already closed or gone */ }
    }
  }

  return { Link, openFailure };
})();
if (typeof module !== 'undefined') module.exports = Serial;
