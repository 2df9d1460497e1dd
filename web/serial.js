'use strict';
// One port through the browser's Web Serial: opened with the reader's line settings, read by
// one loop that waits for bytes (nothing spins while the reader is idle), and commands written
// one at a time, each answered by the bytes that come until the core says the reply is
// complete, the reply buffer is full, or the deadline passes.
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

    // Writes command and collects its reply. Resolves to {sent, heard, bytes}: sent tells
    // whether the command went out; heard is 'complete', 'incomplete', 'nothing' or 'io-error'.
    async exchange(command, isComplete, deadlineMs, capacity, silenceMs) {
      // The tail of a late or flooding reply is not this command's reply: wait for the window's
      // silence on the line (for a deadline at most), and drop what came.
      const quietBy = performance.now() + deadlineMs;
      for (let quiet = performance.now() - this.lastByteAt; quiet < silenceMs && performance.now() < quietBy;
        quiet = performance.now() - this.lastByteAt) {
        await new Promise((resolve) => setTimeout(resolve, silenceMs - quiet));
      }
      if (this.ended || !this.port.writable) return { sent: false, heard: 'io-error', bytes: new Uint8Array() };
      this.received = [];
      const writer = this.port.writable.getWriter();
      try {
        await writer.write(command);
        if (this.onBytes) this.onBytes('sent', command);
      } catch (error) {
        return { sent: false, heard: 'io-error', bytes: new Uint8Array() };
      } finally {
        writer.releaseLock();
      }
      const deadline = performance.now() + deadlineMs;
      let timer = null;
      try {
        for (;;) {
          const bytes = Uint8Array.from(this.received.slice(0, capacity));
          if (bytes.length && isComplete(bytes)) return { sent: true, heard: 'complete', bytes };
          if (bytes.length >= capacity) return { sent: true, heard: 'incomplete', bytes };
          if (this.ended) return { sent: true, heard: 'io-error', bytes };
          const left = deadline - performance.now();
          if (left <= 0) return { sent: true, heard: bytes.length ? 'incomplete' : 'nothing', bytes };
          await new Promise((resolve) => {
            this.wake = resolve;
            timer = setTimeout(resolve, left);
          });
          clearTimeout(timer);
        }
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
