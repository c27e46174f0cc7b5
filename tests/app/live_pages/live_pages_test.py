#!/usr/bin/env python3
"""The live pages in a real browser on a phone's screen, against the live
server of a desk in play (live_desk_driver): "Nu aan de beurt", a pool's
standings and a player's own page each show a result entered at the desk
within 2 seconds, and a stopped server brings up the lost-connection notice,
which goes when the server is back.

  live_pages_test.py --driver <live_desk_driver> [--port N] [--shots DIR]
"""
import argparse
import os
import re
import socket
import subprocess
import sys
import time

from selenium import webdriver
from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException, TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

FRESH = 2.0  # a result at the desk shows on every open page within this
BANNER = "Geen verbinding met de wedstrijdtafel — de gegevens kunnen verouderd zijn"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Desk:
    def __init__(self, driver, port):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        self.proc = subprocess.Popen([driver, str(port)], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True, env=env)
        self.pools = {}
        self.tokens = {}
        self.database = ""
        for line in self.proc.stdout:
            words = line.split()
            if words[:1] == ["poule"]:
                self.pools[words[2]] = int(words[1])
            elif words[:1] == ["tafel"]:
                self.tokens[int(words[1])] = words[2]
            elif words[:1] == ["database"]:
                self.database = line.strip()[len("database "):]
            elif words[:1] == ["klaar"]:
                return
            else:
                raise AssertionError("the desk did not start: " + line.strip())
        raise AssertionError("the desk stopped before it was ready")

    def __call__(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        reply = self.proc.stdout.readline().strip()
        if reply != "ok":
            raise AssertionError("%s: %s" % (command, reply or "no answer"))

    def close(self):
        try:
            self("quit")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


def browser(chromedriver, chromium, width=360, height=740):
    options = webdriver.ChromeOptions()
    if chromium:
        options.binary_location = chromium
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars"):
        options.add_argument(arg)
    options.add_experimental_option("mobileEmulation",
                                    {"deviceMetrics": {"width": width, "height": height, "pixelRatio": 2}})
    return webdriver.Chrome(service=Service(chromedriver), options=options)


def within(page, seconds, condition, what):
    try:
        # The page redraws under the test once a second: a vanished element means "look again".
        WebDriverWait(page, seconds, poll_frequency=0.05,
                      ignored_exceptions=[StaleElementReferenceException, NoSuchElementException]).until(lambda _: condition())
    except TimeoutException:
        raise AssertionError("%s: not within %.1f s" % (what, seconds)) from None


def texts(page, css):
    # Read in one step in the page, so that a redraw cannot come in between.
    return page.execute_script(
        "return Array.from(document.querySelectorAll(arguments[0]), e => e.innerText.trim())", css)


def ids(page, css):
    return page.execute_script("return Array.from(document.querySelectorAll(arguments[0]), e => e.dataset.id)", css)


def click(page, selector, by=By.CSS_SELECTOR):
    within(page, 5, lambda: page.find_element(by, selector).click() or True, "click " + selector)


def played(page):
    m = re.search(r"Gespeeld: (\d+)", " ".join(texts(page, ".telling")))
    return int(m.group(1))


def fresh(page, desk, command, condition, what):
    """Enters a result at the desk and times it on the open page."""
    start = time.monotonic()
    desk(command)
    within(page, FRESH, condition, what)
    print("%s: %.2f s" % (what, time.monotonic() - start))


def shoot(page, shots, name):
    if shots:
        time.sleep(0.3)  # let the last frame settle
        page.save_screenshot(os.path.join(shots, name))


def run(page, desk, base, shots):
    # "Nu aan de beurt": the callable matches, the tournament and the time of the last change.
    page.get(base + "/#nu")
    within(page, 5, lambda: texts(page, "h1") == ["Nu aan de beurt"] and texts(page, "a.kaart"), "now playing")
    assert page.find_element(By.ID, "toernooi").text == "Open Zaalkampioenschap 2026"
    assert re.fullmatch(r"Laatst gewijzigd \d\d:\d\d:\d\d", page.find_element(By.ID, "gewijzigd").text)
    shoot(page, shots, "live-nu.png")
    called = next(i for i, meta in zip(ids(page, "a.kaart"), texts(page, "a.kaart .meta")) if "Heren A" in meta)
    before = played(page)
    fresh(page, desk, "uitslag %s 3-0" % called,
          lambda: called not in ids(page, "a.kaart") and played(page) == before + 1, "result on Nu aan de beurt")

    # The round robin's standings, reached through the menu.
    click(page, "#menu-poules")
    click(page, 'a[href="#poule/%d"]' % desk.pools["poule"])
    within(page, 5, lambda: len(texts(page, "table.stand tbody tr")) == 5, "round-robin standings")
    open_ids = [i for i in ids(page, "li.duel") if not texts(page, 'li.duel[data-id="%s"] .score' % i)]
    wins = lambda: sum(int(t) for t in texts(page, "table.stand td.getal"))
    before = wins()
    fresh(page, desk, "uitslag %s 3-1" % open_ids[0],
          lambda: texts(page, 'li.duel[data-id="%s"] .score' % open_ids[0]) == ["3 - 1"] and wins() == before + 1,
          "result on the standings")
    shoot(page, shots, "live-poule.png")

    # A player's page, found by typing part of the name.
    name = texts(page, 'li.duel[data-id="%s"] .zijde' % open_ids[1])[0]
    click(page, "#menu-speler")
    click(page, "#zoek")
    page.find_element(By.ID, "zoek").send_keys(name.split()[-1].lower())
    within(page, 5, lambda: name in texts(page, "#gevonden .naam"), "player found")
    click(page, '//ul[@id="gevonden"]//a[.//span[text()="%s"]]' % name, By.XPATH)
    within(page, 5, lambda: texts(page, "h1") == [name] and ids(page, "a.volgende"), "player's page")
    next_id = ids(page, "a.volgende")[0]
    assert re.fullmatch(r"Tafel \d+", texts(page, ".volgende .groot")[0])
    fresh(page, desk, "uitslag %s 3-2" % next_id,
          lambda: texts(page, 'li.duel[data-id="%s"] .score' % next_id) == ["3 - 2"]
          and next_id not in ids(page, "a.volgende"),
          "result on the player's page")
    shoot(page, shots, "live-speler.png")

    # The Swiss standings and the bracket show in their own form.
    page.get(base + "/#poule/%d" % desk.pools["zwitsers"])
    within(page, 5, lambda: "Stand na ronde 2" in texts(page, "h2")
           and len(texts(page, "table.stand tbody tr")) == 8, "Swiss standings")
    page.get(base + "/#poule/%d" % desk.pools["knockout"])
    within(page, 5, lambda: texts(page, "h2") == ["Kwartfinale", "Halve finale", "Finale"], "knockout bracket")

    # The desk goes away: the page says so plainly, and stops saying it when it is back.
    page.get(base + "/#nu")
    within(page, 5, lambda: texts(page, "a.kaart"), "now playing again")
    banner = page.find_element(By.ID, "verbinding")
    assert not banner.is_displayed()
    desk("stop")
    within(page, 5, banner.is_displayed, "lost-connection notice")
    assert banner.text == BANNER, banner.text
    shoot(page, shots, "live-verbinding.png")
    desk("start")
    within(page, 5, lambda: not banner.is_displayed(), "notice gone when the desk is back")


def browser_test(run, passed, browsers=1, size=(360, 740), shot=("--shots", "folder for the screenshots"),
                 expected=lambda message: False):
    """The command line of a browser test: the desk on its port, the test's phones, run(*phones, desk, base, shot).
    Fails on a check that does not hold, or on an error a browser logged that the test did not cause itself."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--driver", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument(shot[0], dest="shot", metavar=shot[0][2:].upper(), help=shot[1])
    parser.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    parser.add_argument("--chromium", default="")
    args = parser.parse_args()
    port = args.port or free_port()
    try:
        desk = Desk(args.driver, port)
        pages = []
        try:
            for _ in range(browsers):
                pages.append(browser(args.chromedriver, args.chromium, *size))
            run(*pages, desk, "http://127.0.0.1:%d" % port, args.shot)
            for page in pages:
                errors = [e for e in page.get_log("browser") if e["level"] == "SEVERE"
                          and "favicon" not in e["message"] and not expected(e["message"])]
                assert not errors, errors
        finally:
            for page in pages:
                page.quit()
            desk.close()
    except AssertionError as e:
        print("FAILED:", e, file=sys.stderr)
        sys.exit(1)
    print(passed)


if __name__ == "__main__":
    # The desk's server is stopped on purpose: the page's failed polls meanwhile are expected.
    browser_test(run, "live pages: all checks passed", expected=lambda message: "ERR_CONNECTION_REFUSED" in message)
