# SPDX-License-Identifier: Apache-2.0
"""The far end of the page's stand-in for navigator.serial: a WebSocket server that holds
the simulated readers' ptys for the page.

Runs its own asyncio loop in a thread; the test calls it from its own thread. Each port is a
simulator's stable link; the bridge notices the link vanish (unplugged: 'gone') and come back
(plugged in: a new port id, 'appeared'), as the browser notices a device.
"""
import asyncio
import base64
import fcntl
import json
import os
import struct
import termios
import threading

import websockets

TIOCEXCL = 0x540C
TIOCNXCL = 0x540D
TIOCGEXCL = 0x80045440
POLL_SECONDS = 0.05


class Port:
    def __init__(self, number, path, usb):
        self.id = number
        self.path = path
        self.usb = usb            # (vendor, product) or None
        self.target = self.read_target()
        self.fd = None
        self.options = []         # what each open() asked for
        self.writes = 0
        self.open_error = None    # (DOMException name, message) every open() fails with

    def read_target(self):
        try:
            return os.readlink(self.path)
        except OSError:
            return None

    def describe(self):
        info = {"id": self.id}
        if self.usb:
            info["usbVendorId"], info["usbProductId"] = self.usb
        return info


class Bridge:
    def __init__(self):
        self.ports = {}
        self.granted = set()
        self.forgot = set()       # ports whose grant the page gave up (port.forget())
        self.choice = None        # what the next requestPort() picks
        self.requests = []        # the filters of every requestPort()
        self.client = None
        self.lock = threading.Lock()
        self.loop = asyncio.new_event_loop()
        self.started = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()
        self.started.wait(10)

    # ---- for the test (any thread) ----

    @property
    def url(self):
        return "ws://127.0.0.1:%d" % self.port_number

    def add(self, path, usb=None, granted=False):
        """A port on a simulator's link; granted ports are what getPorts() returns."""
        with self.lock:
            self.last_id = getattr(self, "last_id", 0) + 1
            port = Port(self.last_id, path, usb)
            self.ports[port.id] = port
            if granted:
                self.granted.add(port.id)
        return port.id

    def reset(self):
        """Forgets every port (and closes what the page held): a fresh start for the next case."""
        done = threading.Event()

        def forget():
            for port in self.ports.values():
                self.close_fd(port)
            self.ports.clear()
            self.granted.clear()
            self.forgot.clear()
            self.requests.clear()
            self.choice = None
            done.set()
        self.loop.call_soon_threadsafe(forget)
        done.wait(5)

    def choose(self, port_id):
        self.choice = port_id

    def fail_open(self, port_id, name, message=None):
        """The port's next opens fail with this DOMException (name, and the browser's message)."""
        self.ports[port_id].open_error = (name, message)

    def forgotten(self, port_id):
        return port_id in self.forgot

    def options(self, port_id):
        return list(self.ports[port_id].options)

    def is_open(self, port_id):
        return self.ports[port_id].fd is not None

    def current(self, path):
        """The id of the live port on a link (after a replug, the newest)."""
        with self.lock:
            ids = [p.id for p in self.ports.values() if p.path == path and p.target is not None]
        return ids[-1] if ids else None

    def stop(self):
        self.loop.call_soon_threadsafe(self.loop.stop)
        self.thread.join(5)

    # ---- the loop ----

    def run(self):
        asyncio.set_event_loop(self.loop)
        server = self.loop.run_until_complete(websockets.serve(self.serve, "127.0.0.1", 0, max_size=2 ** 20))
        self.port_number = server.sockets[0].getsockname()[1]
        self.loop.create_task(self.watch_links())
        self.started.set()
        self.loop.run_forever()
        server.close()
        self.loop.run_until_complete(server.wait_closed())
        for task in asyncio.all_tasks(self.loop):
            task.cancel()
        self.loop.run_until_complete(asyncio.gather(*asyncio.all_tasks(self.loop), return_exceptions=True))
        for port in self.ports.values():
            self.close_fd(port)
        self.loop.close()

    async def send(self, message):
        if self.client is not None:
            try:
                await self.client.send(json.dumps(message))
            except websockets.ConnectionClosed:
                pass

    async def serve(self, websocket, path=None):
        # A new page replaces the last one; what the old page held is closed, as the browser does.
        for port in self.ports.values():
            self.close_fd(port)
        self.client = websocket
        try:
            async for text in websocket:
                message = json.loads(text)
                answer = self.handle(message)
                if "seq" in message:
                    answer["seq"] = message["seq"]
                    await websocket.send(json.dumps(answer))
                elif "error" in answer:
                    # A write the port could not take, answered by nobody: the port is lost.
                    await self.send({"op": "gone", "id": message.get("id")})
        except websockets.ConnectionClosed:
            pass
        finally:
            if self.client is websocket:
                self.client = None
                for port in self.ports.values():
                    self.close_fd(port)

    def handle(self, message):
        op = message["op"]
        if op == "getPorts":
            return {"ports": [self.ports[i].describe() for i in sorted(self.granted)
                              if self.ports[i].target is not None]}
        if op == "requestPort":
            self.requests.append(message["filters"])
            port = self.ports.get(self.choice)
            if port is None or not self.matches(port, message["filters"]):
                return {"error": "NotFoundError"}
            self.granted.add(port.id)
            return {"port": port.describe()}
        port = self.ports.get(message.get("id"))
        if port is None:
            return {"error": "NotFoundError"}
        if op == "open":
            port.options.append(message["options"])
            if port.open_error:
                return {"error": port.open_error[0], "message": port.open_error[1]}
            return self.open(port)
        if op == "forget":
            self.close_fd(port)
            self.granted.discard(port.id)
            self.forgot.add(port.id)
            return {"ok": True}
        if op == "write":
            if port.fd is None:
                return {"error": "NetworkError"}
            try:
                os.write(port.fd, base64.b64decode(message["data"]))
                port.writes += 1
            except OSError:
                return {"error": "NetworkError"}
            return {"ok": True}
        if op == "close":
            self.close_fd(port)
            return {"ok": True}
        return {"error": "NotSupportedError"}

    @staticmethod
    def matches(port, filters):
        if not filters:
            return True
        for f in filters:
            if port.usb and f.get("usbVendorId") == port.usb[0] and f.get("usbProductId", port.usb[1]) == port.usb[1]:
                return True
        return False

    def open(self, port):
        if port.fd is not None:
            return {"error": "InvalidStateError"}
        if port.target is None:
            return {"error": "NetworkError"}
        try:
            fd = os.open(port.path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        except OSError:
            return {"error": "NetworkError"}
        # Another program holding the port exclusively (even against root, as Chromium sees it
        # when it cannot lock the port) makes the port busy.
        held = struct.unpack("i", fcntl.ioctl(fd, TIOCGEXCL, struct.pack("i", 0)))[0]
        if held:
            os.close(fd)
            return {"error": "NetworkError"}
        attributes = termios.tcgetattr(fd)
        attributes[0] = 0                                            # iflag: raw
        attributes[1] = 0                                            # oflag
        attributes[2] = termios.CS8 | termios.CREAD | termios.CLOCAL  # cflag: 8N1
        attributes[3] = 0                                            # lflag
        termios.tcsetattr(fd, termios.TCSANOW, attributes)
        fcntl.ioctl(fd, TIOCEXCL)
        port.fd = fd
        self.loop.add_reader(fd, self.readable, port)
        return {"ok": True}

    def readable(self, port):
        try:
            data = os.read(port.fd, 4096)
        except BlockingIOError:
            return
        except OSError:
            data = b""
        if data:
            self.loop.create_task(self.send({"op": "data", "id": port.id,
                                             "data": base64.b64encode(data).decode("ascii")}))
        else:
            self.close_fd(port)

    def close_fd(self, port):
        if port.fd is None:
            return
        try:
            self.loop.remove_reader(port.fd)
        except Exception:
            pass
        # A pty's exclusive flag outlives the descriptor while the simulator holds the other end.
        try:
            fcntl.ioctl(port.fd, TIOCNXCL)
        except OSError:
            pass
        os.close(port.fd)
        port.fd = None

    async def watch_links(self):
        while True:
            await asyncio.sleep(POLL_SECONDS)
            for port in list(self.ports.values()):
                target = port.read_target()
                if port.target is not None and target != port.target:
                    # Unplugged (and perhaps plugged in again already as another pty).
                    self.close_fd(port)
                    port.target = None
                    await self.send({"op": "gone", "id": port.id})
                    continue
            # A link that points at a pty no live port has: a device plugged in.
            live = {(p.path, p.target) for p in self.ports.values() if p.target is not None}
            for port in list(self.ports.values()):
                if port.target is not None:
                    continue
                target = port.read_target()
                if target is None or (port.path, target) in live:
                    continue
                with self.lock:
                    self.last_id += 1
                    fresh = Port(self.last_id, port.path, port.usb)
                    self.ports[fresh.id] = fresh
                    if port.id in self.granted:
                        self.granted.add(fresh.id)
                live.add((fresh.path, fresh.target))
                await self.send({"op": "appeared", "port": fresh.describe()})
