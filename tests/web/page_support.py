# SPDX-License-Identifier: Apache-2.0
"""Helpers for the browser page's tests: headless Chromium (Debian's, driven by Selenium and
Debian's chromedriver, one version) with a stand-in for navigator.serial injected before the
page loads, the bridge that carries its bytes to simulated readers, and checks on the page.

Run with Debian's Python (/usr/bin/python3), whose selenium and websockets these are.
Environment: VIREO_SIM (the simulator), VIREO4 (the command-line tool), VIREO_WEB_SITE (the
built site, build/web/site).
"""
import http.server
import json
import os
import re
import shutil
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tests", "cli"))

from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402

import harness  # noqa: E402
from harness import Failure, Tests, expect, expect_eq, held_exclusively  # noqa: E402,F401
from cli_support import Fleet  # noqa: E402,F401
from bridge import Bridge  # noqa: E402,F401

SITE = os.environ.get("VIREO_WEB_SITE", os.path.join(ROOT, "build", "web", "site"))
PAGE = "file://" + os.path.join(SITE, "index.html")
USB_READER = (0x2E3C, 0x5750)
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1280,1000"]


TIME_STAMP = re.compile(r"^\d\d:\d\d:\d\d  ")


def re_match(pattern, text):
    return re.match(pattern, text) is not None


def wait_until(fn, timeout=10, what="condition"):
    return harness.wait_until(fn, timeout, what, 0.02)


class Browser:
    """One headless Chromium, its own profile and download folder, ended on leaving. With a
    bridge, navigator.serial is the stand-in over it; bypass_csp lets the stand-in's
    WebSocket through the page's policy (the shipped policy stays as it is)."""

    def __init__(self, bridge=None, language="en-US", bypass_csp=True, serial=True, flags=(), prefs=None):
        self.flags = list(flags)
        self.prefs = prefs or {}
        self.bridge = bridge
        self.language = language
        self.bypass_csp = bypass_csp
        self.serial = serial

    def __enter__(self):
        self.folder = tempfile.mkdtemp(prefix="vireo-web-")
        self.downloads = os.path.join(self.folder, "downloads")
        os.makedirs(self.downloads)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROMIUM_FLAGS:
            options.add_argument(flag)
        options.add_argument("--user-data-dir=" + os.path.join(self.folder, "profile"))
        options.add_argument("--lang=" + self.language)
        for flag in self.flags:
            options.add_argument(flag)
        options.add_experimental_option("prefs", dict({
            "download.default_directory": self.downloads, "download.prompt_for_download": False,
            "profile.default_content_setting_values.automatic_downloads": 1,  # a second file from one page
            "intl.accept_languages": self.language}, **self.prefs))
        options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        try:
            if self.bypass_csp:
                self.driver.execute_cdp_cmd("Page.setBypassCSP", {"enabled": True})
            if self.bridge is not None:
                with open(os.path.join(HERE, "standin.js"), encoding="utf-8") as f:
                    standin = f.read().replace("__BRIDGE_URL__", self.bridge.url)
                self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": standin})
            elif not self.serial:
                self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
                    "source": "delete Navigator.prototype.serial;"})
        except Exception:
            self.driver.quit()
            raise
        return self

    def __exit__(self, *exc):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.folder, ignore_errors=True)
        return False

    # ---- the page ----

    def open(self, url=PAGE):
        self.driver.get(url)
        wait_until(lambda: self.js("return performance.getEntriesByName('vireo-ready').length > 0"), 15,
                   "the page to start")

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def click(self, element_id):
        expect(self.js("return !document.getElementById(arguments[0]).disabled", element_id),
               "%s is disabled" % element_id)
        self.js("document.getElementById(arguments[0]).click()", element_id)

    def enabled(self, element_id):
        return self.js("return !document.getElementById(arguments[0]).disabled", element_id)

    def text(self, element_id):
        return self.js("return document.getElementById(arguments[0]).textContent", element_id)

    def log_lines(self):
        """The message log as shown: oldest first, each line with its time."""
        return self.js("return [...document.querySelectorAll('#messages li')].map(li => li.textContent)")

    def messages(self):
        """The messages without their times, newest first."""
        return [TIME_STAMP.sub("", line, count=1) for line in reversed(self.log_lines())]

    def copied_by(self, element_id):
        """Clicks a copy button (clipboard allowed) and returns what it put on the clipboard."""
        self.driver.execute_cdp_cmd("Browser.grantPermissions", {
            "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
        self.click(element_id)
        self.wait_message("Copied.")
        return self.driver.execute_async_script(
            "navigator.clipboard.readText().then(arguments[0], e => arguments[0]('ERROR ' + e))")

    def apply_all(self, accept=True):
        """Clicks "Apply to all" and answers its question; returns the question's text."""
        expect(self.enabled("apply-all"), "apply-all is disabled")
        self.js("setTimeout(() => document.getElementById('apply-all').click(), 0)")
        alert = wait_until(lambda: self._alert(), 5, "the question before applying to all")
        text = alert.text
        alert.accept() if accept else alert.dismiss()
        return text

    def _alert(self):
        try:
            return self.driver.switch_to.alert
        except Exception:
            return None

    def wait_message(self, part, timeout=10):
        return wait_until(lambda: next((m for m in self.messages() if part in m), None), timeout,
                          "a message with %r (have %r)" % (part, self.messages()[:6]))

    def readers(self):
        return self.js("return [...document.querySelectorAll('#reader-list button')].map(b => b.textContent)")

    def select_reader(self, index):
        self.js("document.querySelectorAll('#reader-list button')[arguments[0]].click()", index)

    def groups(self):
        """{setting: {legend, disabled, lamp, choices: {value: (caption, checked, enabled)}}}, in
        the page's order."""
        pairs = self.js("""
            const out = [];
            for (const fs of document.querySelectorAll('#settings fieldset')) {
              const lamp = document.querySelector(`#settings .lamp[data-setting="${fs.dataset.setting}"]`);
              const choices = {};
              for (const label of fs.querySelectorAll('label')) {
                const input = label.querySelector('input');
                choices[input.value] = [label.textContent.trim(), input.checked, !input.disabled && !fs.disabled];
              }
              out.push([fs.dataset.setting, {legend: fs.querySelector('legend').textContent, disabled: fs.disabled,
                        lamp: lamp ? getComputedStyle(lamp).backgroundColor : null,
                        choices: Object.entries(choices)}]);
            }
            return out;""")
        return {name: dict(group, choices=dict(group["choices"])) for name, group in pairs}

    def choose(self, setting, value):
        self.js("""const input = document.querySelector(`#settings input[name="setting-${arguments[0]}"][value="${arguments[1]}"]`);
                   input.click();""", setting, value)

    def idle(self, timeout=10):
        """Waits until the selected reader is not busy."""
        wait_until(lambda: self.enabled("read"), timeout, "the reader to be idle")

    def card_rows(self):
        return self.js("return [...document.querySelectorAll('#card-table tbody tr')]"
                       ".map(tr => [...tr.cells].map(td => td.textContent))")

    def drop_file(self, name, data):
        """Drops a file on the drop zone, as a user dragging it from a file manager."""
        self.js("""const bytes = Uint8Array.from(atob(arguments[1]), c => c.charCodeAt(0));
                   const transfer = new DataTransfer();
                   transfer.items.add(new File([bytes], arguments[0], {type: 'text/plain'}));
                   const zone = document.getElementById('drop-zone');
                   zone.dispatchEvent(new DragEvent('dragover', {dataTransfer: transfer, bubbles: true, cancelable: true}));
                   zone.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));""",
                name, __import__("base64").b64encode(data).decode("ascii"))

    def pick_file(self, path):
        self.driver.find_element("id", "profile-file").send_keys(path)

    def downloaded(self, name, timeout=10):
        path = os.path.join(self.downloads, name)
        wait_until(lambda: os.path.exists(path) and os.path.getsize(path) > 0, timeout, "the download " + name)
        with open(path, "rb") as f:
            return f.read()

    def requests(self):
        """Every URL the page asked for since the last call (from Chromium's network log)."""
        urls = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        return urls

    def screenshot(self, path):
        height = self.js("return document.documentElement.scrollHeight")
        self.driver.set_window_size(1280, max(800, min(int(height) + 140, 3000)))
        time.sleep(0.2)
        self.driver.save_screenshot(path)


class SiteServer:
    """The built site over http on 127.0.0.1, nothing cached by the browser's own cache. Its
    mode can turn a file into a 404 (missing = {"page.js"}); extra = {path: html} adds pages."""

    def __init__(self, extra=None):
        self.missing = set()
        self.extra = extra or {}
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=SITE, **kwargs)

            def end_headers(self):
                self.send_header("Cache-Control", "no-store")
                super().end_headers()

            def do_GET(self):
                name = self.path.split("?")[0].lstrip("/")
                if name in server.extra:
                    body = server.extra[name].encode("utf-8")
                    self.send_response(200)
                    self.send_header("Content-Type", "text/html; charset=utf-8")
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                elif name in server.missing:
                    self.send_error(404)
                else:
                    super().do_GET()

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        if self.httpd is not None:
            self.httpd.shutdown()
            self.httpd.server_close()
            self.httpd = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        return False


class Session:
    """One bridge and one browser for all the cases of a test file (a browser takes seconds to
    start); each case starts from a fresh page and a bridge without ports."""

    def __init__(self, **browser_options):
        self.options = browser_options
        self.bridge = None
        self.browser = None

    def fresh(self):
        if self.bridge is None:
            self.bridge = Bridge()
            self.browser = Browser(self.bridge, **self.options).__enter__()
        self.bridge.reset()
        self.browser.driver.get("about:blank")
        return self.browser, self.bridge

    def close(self):
        if self.browser is not None:
            self.browser.__exit__(None, None, None)
        if self.bridge is not None:
            self.bridge.stop()


def run(tests, session):
    try:
        tests.main()
    finally:
        session.close()


def sims_on_bridge(fleet, bridge, readers, granted=False):
    """Simulated readers, each on a bridge port: readers is a list of (name, model, firmware,
    settings, usb)."""
    made = []
    for name, model, firmware, settings, usb in readers:
        sim = fleet.sim(name, model=model, firmware=firmware, settings=settings)
        sim.port_id = bridge.add(sim.link, usb=usb, granted=granted)
        made.append(sim)
    return made


def connect(browser, bridge, sim, usb=False):
    """The user's Connect click, the chooser answered with the simulator's port."""
    bridge.choose(sim.port_id)
    browser.click("connect-usb" if usb else "connect-any")
