// SPDX-License-Identifier: Apache-2.0
// A stand-in for navigator.serial, injected by the tests before the page loads. It carries the
// bytes over a WebSocket to the test's bridge (bridge.py), which holds the simulated readers'
// ptys. It has only the members the page uses, and behaves as Chromium does where the page
// relies on it: open() of a port another program holds fails with a NetworkError, a lost port
// errors its readable with a NetworkError and fires 'disconnect', a port plugged in again
// comes as a new SerialPort with a 'connect' event, close() refuses a locked stream, and
// forget() gives up the grant.
(() => {
  const url = '__BRIDGE_URL__';
  let socket = null;
  let opened = null;
  let sequence = 0;
  const pending = new Map();
  const ports = new Map();  // id -> StandInPort

  function connect() {
    if (!opened) {
      opened = new Promise((resolve, reject) => {
        socket = new WebSocket(url);
        socket.onopen = resolve;
        socket.onerror = () => reject(new DOMException('The bridge is not there.', 'NetworkError'));
        socket.onmessage = (event) => receive(JSON.parse(event.data));
      });
    }
    return opened;
  }

  async function call(message) {
    await connect();
    const seq = ++sequence;
    socket.send(JSON.stringify(Object.assign({ seq }, message)));
    return new Promise((resolve) => pending.set(seq, resolve));
  }

  const toBase64 = (bytes) => btoa(String.fromCharCode(...bytes));
  const fromBase64 = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));

  function fire(type, port) {
    const event = new Event(type);
    Object.defineProperty(event, 'target', { value: port });
    serial.dispatchEvent(event);
  }

  function receive(message) {
    if (message.seq) {
      const resolve = pending.get(message.seq);
      pending.delete(message.seq);
      if (resolve) resolve(message);
      return;
    }
    if (message.op === 'data') {
      const port = ports.get(message.id);
      if (port) port.take(fromBase64(message.data));
    } else if (message.op === 'gone') {
      const port = ports.get(message.id);
      if (port) {
        port.lose();
        fire('disconnect', port);
      }
    } else if (message.op === 'appeared') {
      fire('connect', portFor(message.port));
    }
  }

  class StandInPort extends EventTarget {
    constructor(info) {
      super();
      this.id = info.id;
      this.info = {};
      if (info.usbVendorId !== undefined) {
        this.info.usbVendorId = info.usbVendorId;
        this.info.usbProductId = info.usbProductId;
      }
      this.readable = null;
      this.writable = null;
      this.controller = null;
    }

    getInfo() { return Object.assign({}, this.info); }

    async open(options) {
      if (this.readable) throw new DOMException('The port is already open.', 'InvalidStateError');
      const answer = await call({ op: 'open', id: this.id, options });
      if (answer.error) throw new DOMException(answer.message || 'Failed to open serial port.', answer.error);
      this.readable = new ReadableStream({
        start: (controller) => { this.controller = controller; },
      });
      // As Chromium's, a write is done once the bytes are handed on; a port that cannot take
      // them is lost (the bridge says so, and the readable errors).
      this.writable = new WritableStream({
        write: async (chunk) => {
          if (!this.controller) throw new DOMException('The device has been lost.', 'NetworkError');
          await connect();
          socket.send(JSON.stringify({ op: 'write', id: this.id, data: toBase64(new Uint8Array(chunk)) }));
        },
      });
    }

    async forget() {
      await call({ op: 'forget', id: this.id });
      this.controller = null;
      this.readable = null;
      this.writable = null;
    }

    take(bytes) {
      if (this.controller) this.controller.enqueue(bytes);
    }

    lose() {
      if (this.controller) this.controller.error(new DOMException('The device has been lost.', 'NetworkError'));
      this.controller = null;
      this.readable = null;
      this.writable = null;
    }

    async close() {
      if (this.readable && this.readable.locked) {
        throw new DOMException('Cannot close a port with a locked stream.', 'InvalidStateError');
      }
      await call({ op: 'close', id: this.id });
      if (this.controller) {
        try { this.controller.close(); } catch (error) { /* errored already */ }
      }
      this.controller = null;
      this.readable = null;
      this.writable = null;
    }
  }

  function portFor(info) {
    if (!ports.has(info.id)) ports.set(info.id, new StandInPort(info));
    return ports.get(info.id);
  }

  class StandInSerial extends EventTarget {
    async getPorts() {
      const answer = await call({ op: 'getPorts' });
      return answer.ports.map(portFor);
    }

    async requestPort(options) {
      const answer = await call({ op: 'requestPort', filters: (options && options.filters) || [] });
      if (answer.error) throw new DOMException('No port selected by the user.', answer.error);
      return portFor(answer.port);
    }
  }

  const serial = new StandInSerial();
  Object.defineProperty(Navigator.prototype, 'serial', { configurable: true, get: () => serial });
})();
