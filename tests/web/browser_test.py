#!/usr/bin/python3
"""corvane-web in a browser: headless Chromium against corvane-web under Wine,
with corvane.exe (State=1) bridging corvane-sim --hand.

  xvfb-run -a /usr/bin/python3 tests/web/browser_test.py --build build/wine

Checks that the altitude window shows the stand-in's altitude, that a lamp
set by hand lights in the page within 500 ms, that a tap on the altitude
knob's + makes corvane-sim print "command 1232" with the altitude + 100,
that Exit! in Corvane turns the page's state to ended, and that a WebSocket
opened from another origin is refused. Leaves screenshots at 1280x800 and
390x844 in BUILD/web/. Debian's python3-selenium, chromium and
chromium-driver; run with /usr/bin/python3.
"""
import argparse
import http.server
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

WINE = os.environ.get("CORVANE_WINE", "/usr/lib/wine/wine64")
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync"]
ALTITUDE = 12300
LAMP_LIMIT_S = 0.5
SIZES = {"tablet": (1280, 800), "phone": (390, 844)}
HOLD_S = 2.0
HOLD_MIN_DETENTS = 10  # 400 ms before repeating, then every 150 ms, from 1.5 s every 80 ms

failures = []


def check(ok, what):
    print(("ok     " if ok else "FAILED ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def wait_for(predicate, timeout, step=0.05):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Wine:
    """The Wine programs this test starts, each ended by the test itself."""

    def __init__(self, build, work):
        self.build = build
        self.work = work
        self.env = dict(os.environ, WINEPREFIX=os.path.join(build, "wineprefix"),
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=")
        self.started = []

    def start(self, module, args, log, stdin=None, cwd=None):
        out = open(os.path.join(self.work, log), "w")
        p = subprocess.Popen([WINE, os.path.join(self.build, module)] + args, stdin=stdin,
                             stdout=out, stderr=subprocess.STDOUT, cwd=cwd or self.work, env=self.env)
        self.started.append(p)
        return p

    def run(self, module, args, timeout=30):
        return subprocess.run([WINE, os.path.join(self.build, module)] + args, cwd=self.work, env=self.env,
                              timeout=timeout).returncode

    def end(self):
        for p in reversed(self.started):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()


class OtherSite(http.server.BaseHTTPRequestHandler):
    """A page of another origin that tries to open corvane-web's WebSocket."""
    target = ""

    def do_GET(self):
        body = ("<!DOCTYPE html><title>trying</title><script>"
                "const ws = new WebSocket('%s', 'fsuipc');"
                "ws.onopen = () => { document.title = 'opened'; };"
                "ws.onclose = () => { if (document.title !== 'opened') document.title = 'refused'; };"
                "</script>" % self.target).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def browser():
    options = Options()
    options.binary_location = "/usr/bin/chromium"
    for flag in CHROMIUM_FLAGS:
        options.add_argument(flag)
    options.add_argument("--user-data-dir=" + tempfile.mkdtemp(prefix="corvane-chromium-"))
    options.add_argument("--window-size=%d,%d" % SIZES["tablet"])
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def text_of(driver, css):
    try:
        return driver.find_element(By.CSS_SELECTOR, css).text
    except Exception:
        return ""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    shots = os.path.join(build, "web")
    os.makedirs(shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix="browser-test-", dir=shots)
    wine = Wine(build, work)
    driver = None
    try:
        sim = wine.start("sim/win32/corvane-sim.exe.so", ["--hand", "--no-dump", "--seconds", "240"],
                         "corvane-sim.log", stdin=subprocess.PIPE)
        sim_log = os.path.join(work, "corvane-sim.log")
        if not check(wait_for(lambda: "serving offsets" in read(sim_log), 60), "corvane-sim serves offsets"):
            return
        answers = lambda: read(sim_log).count("\nok") + read(sim_log).startswith("ok")

        def hand(line):
            before = answers()
            sim.stdin.write((line + "\n").encode())
            sim.stdin.flush()
            return wait_for(lambda: answers() > before, 10)

        check(hand("set ALTITUDE_DISPLAY %d" % ALTITUDE), "corvane-sim --hand took the altitude")

        with open(os.path.join(work, "corvane.ini"), "w") as f:
            f.write("[General]\nSpeed=20\nState=1\n")
        app = wine.start("app/win32/corvane.exe.so", [], "corvane.log")

        port = free_port()
        web_log = os.path.join(work, "corvane-web.log")
        wine.start("web/win32/corvane-web.exe.so", ["--listen", "127.0.0.1:%d" % port], "corvane-web.log")
        if not check(wait_for(lambda: "open http://127.0.0.1:%d/" % port in read(web_log), 60),
                     "corvane-web prints the URL to open"):
            print(read(web_log))
            return

        driver = browser()
        driver.get("http://127.0.0.1:%d/" % port)
        check(wait_for(lambda: text_of(driver, "#window-altitude") == str(ALTITUDE), 30),
              "the altitude window shows the stand-in's altitude (%s)" % text_of(driver, "#window-altitude"))
        check(wait_for(lambda: "bridging" in text_of(driver, "#corvane"), 30),
              "Corvane's state reads bridging (%s)" % text_of(driver, "#corvane"))
        check(text_of(driver, "#link") == "connected", "the link reads connected")

        lamp = '[data-field="9402&01"]'
        lit = lambda: "lit" in (driver.find_element(By.CSS_SELECTOR, lamp).get_attribute("class") or "")
        hand("set 0x9402:0 off")
        check(wait_for(lambda: not lit(), 5), "the lamp 0x9402&0x01 is dark before")
        started = time.monotonic()
        sim.stdin.write(b"set 0x9402:0 on\n")
        sim.stdin.flush()
        wait_for(lit, 5, step=0.01)
        took = time.monotonic() - started
        check(lit() and took <= LAMP_LIMIT_S, "a lamp set by hand lights within 500 ms (%.0f ms)" % (took * 1000))

        up = driver.find_element(By.ID, "knob-altitude-up")
        ActionChains(driver).click(up).perform()
        expected = "command 1232 value %d" % (ALTITUDE + 100)
        check(wait_for(lambda: expected in read(sim_log), 10), "a tap on + makes corvane-sim print " + expected)
        time.sleep(1.0)
        check(read(sim_log).count("command 1232") == 1, "one tap, one detent")

        # Held, the detents come faster: two seconds give far more than the
        # four that four taps' worth of time at the first pace would.
        ActionChains(driver).click_and_hold(up).pause(HOLD_S).release().perform()
        time.sleep(1.0)
        values = [int(v) for v in re.findall(r"command 1232 value (\d+)", read(sim_log))]
        detents = (values[-1] - (ALTITUDE + 100)) // 100 if values else 0
        check(detents >= HOLD_MIN_DETENTS,
              "held for %.0f s, + turns the knob %d detents (at least %d)" % (HOLD_S, detents, HOLD_MIN_DETENTS))
        check(wait_for(lambda: text_of(driver, "#window-altitude") == str(values[-1]) if values else False, 5),
              "the altitude window follows (%s)" % text_of(driver, "#window-altitude"))

        for name, (w, h) in SIZES.items():
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                   {"width": w, "height": h, "deviceScaleFactor": 1, "mobile": name == "phone"})
            time.sleep(0.5)
            driver.save_screenshot(os.path.join(shots, "web-%s.png" % name))
        driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

        OtherSite.target = "ws://127.0.0.1:%d/fsuipc/" % port
        other = http.server.HTTPServer(("127.0.0.1", 0), OtherSite)
        threading.Thread(target=other.serve_forever, daemon=True).start()
        main_window = driver.current_window_handle
        driver.switch_to.new_window("tab")
        driver.get("http://127.0.0.1:%d/" % other.server_address[1])
        check(wait_for(lambda: driver.title in ("refused", "opened"), 10) and driver.title == "refused",
              "a WebSocket from another origin is refused (%s)" % driver.title)
        check("refused: Origin" in read(web_log), "corvane-web says why it refused it")
        other.shutdown()
        driver.close()
        driver.switch_to.window(main_window)

        check(wine.run("tests/web/web_press_exit.exe.so", []) == 0, "Exit! pressed in Corvane")
        check(wait_for(lambda: "ended" in text_of(driver, "#corvane"), 15),
              "the page's state turns to ended (%s)" % text_of(driver, "#corvane"))
        app.wait(20)
    finally:
        if driver is not None:
            driver.quit()
        try:
            if wine.started and wine.started[0].poll() is None:
                wine.started[0].stdin.write(b"quit\n")
                wine.started[0].stdin.flush()
        except OSError:
            pass
        wine.end()
        if failures:
            for name in ("corvane-sim.log", "corvane-web.log", "corvane.log"):
                print("---- " + name + "\n" + read(os.path.join(work, name))[-3000:])
        else:
            shutil.rmtree(work, ignore_errors=True)
    print("%d failed" % len(failures) if failures else "all passed", flush=True)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
