#!/usr/bin/env python3
"""The table page in a real browser on a phone's screen, against a desk in play
(live_desk_driver) that accepts a table's entry at once: the card's address
leaves the token in a cookie only; a refused entry shows the desk's own
message; a result entered on the page is stored once and shows on the live
pages' standings within 2 seconds; a result entered while the phone's network
is down is kept, sent when the network is back, and stored once.

  table_page_test.py --driver <live_desk_driver> [--port N] [--shot FILE]
"""
import base64
import contextlib
import json
import sqlite3
import time
import urllib.error
import urllib.request

from selenium.webdriver.common.by import By

from live_pages_test import FRESH, browser_test, texts, within

ACCEPTED = 1  # TableEntries.status


def stored(database, id_match):
    """The match's entries in the desk's queue and the source of its result."""
    with contextlib.closing(sqlite3.connect("file:%s?mode=ro" % database, uri=True, timeout=5)) as db:
        entries = db.execute("SELECT id, entryId, status FROM TableEntries WHERE idMatch=?", (id_match,)).fetchall()
        results = db.execute("SELECT idEntry FROM ResultWinner WHERE idMatch=?", (id_match,)).fetchall()
    return entries, results


def wins(live):
    return sum(int(t) for t in texts(live, "table.stand td.getal"))


def on_table(table):
    ids = table.execute_script("return Array.from(document.querySelectorAll('#nu .wedstrijd'), e => e.dataset.id)")
    return int(ids[0]) if ids and table.find_elements(By.CSS_SELECTOR, "form.invoer") else None


def fields(table):
    return table.find_elements(By.CSS_SELECTOR, "form.invoer input.getal")


def type_games(table, games, first=0):
    boxes = fields(table)
    for i, (a, b) in enumerate(games, first):
        boxes[2 * i].clear()
        boxes[2 * i].send_keys(a)
        boxes[2 * i + 1].clear()
        boxes[2 * i + 1].send_keys(b)


def send(table):
    table.find_element(By.CSS_SELECTOR, "button.versturen").click()


def accepted_once(desk, table, id_match):
    within(table, 5, lambda: "Geaccepteerd" in texts(table, "li.regel .status"), "entry accepted on the page")
    entries, results = stored(desk.database, id_match)
    assert len(entries) == 1 and entries[0][2] == ACCEPTED, entries
    assert results == [(entries[0][0],)], results
    shown = table.execute_script("return Array.from(document.querySelectorAll('li.regel'), e => e.dataset.entry)")
    assert entries[0][1] in shown, (entries, shown)


def whole_page(page, path):
    height = page.execute_script("return document.documentElement.scrollHeight")
    width = page.execute_script("return window.innerWidth")
    shot = page.execute_cdp_cmd("Page.captureScreenshot", {
        "captureBeyondViewport": True, "clip": {"x": 0, "y": 0, "width": width, "height": height, "scale": 1}})
    with open(path, "wb") as f:
        f.write(base64.b64decode(shot["data"]))


def run(table, live, desk, base, shot):
    pool = desk.pools["poule"]
    with urllib.request.urlopen(base + "/data/poule/%d" % pool) as reply:
        matches = json.load(reply)["wedstrijden"]
    tafel = next(w["tafel"] for w in matches if not w["uitslag"] and w["tafel"] > 0)
    token = desk.tokens[tafel]

    # The card's address: from then on the token travels in the cookie only.
    table.get(base + "/t/" + token)
    within(table, 5, lambda: texts(table, "#tafel") == ["Tafel %d" % tafel] and on_table(table), "table page")
    assert table.current_url == base + "/tafel", table.current_url
    cookie = table.get_cookie("velgram_tafel")
    assert cookie and cookie["value"] == token and cookie["httpOnly"], cookie
    id_match = on_table(table)
    assert id_match in [w["id"] for w in matches], id_match

    live.get(base + "/#poule/%d" % pool)
    within(live, 5, lambda: len(texts(live, "table.stand tbody tr")) == 5, "round-robin standings")

    # A game that cannot be: the desk's rules answer, and the page shows it as it came.
    type_games(table, [("11", "10")])
    send(table)
    within(table, 5, lambda: texts(table, "form.invoer .fout") != [""], "refusal shown")
    body = json.dumps({"entry": "f" * 32, "device": "a" * 32, "match": id_match, "mode": 4, "decision": 0,
                       "side": -1, "games": [["11", "10"]]}).encode()
    asked = urllib.request.Request(base + "/tafel/uitslag", body, method="POST",
                                   headers={"Content-Type": "application/json", "Cookie": "velgram_tafel=" + token})
    try:
        urllib.request.urlopen(asked)
        raise AssertionError("an impossible game was taken")
    except urllib.error.HTTPError as e:
        assert e.code == 422, e.code
        assert texts(table, "form.invoer .fout") == [json.load(e)["fout"]]
    assert stored(desk.database, id_match) == ([], [])

    # Entered on the table, on the standings within 2 seconds, stored once.
    type_games(table, [("11", "7"), ("11", "8"), ("11", "9")])
    before = wins(live)
    start = time.monotonic()
    send(table)
    within(live, FRESH, lambda: wins(live) == before + 1, "standings after the table's entry")
    print("table entry on the standings: %.2f s" % (time.monotonic() - start))
    accepted_once(desk, table, id_match)

    # The network goes while the next match is entered; the entry waits on the phone.
    within(table, 5, lambda: on_table(table) not in (None, id_match), "next match on the table")
    id_match = on_table(table)
    type_games(table, [("7", "11")])
    if shot:
        whole_page(table, shot)
    table.set_network_conditions(offline=True, latency=0, download_throughput=0, upload_throughput=0)
    type_games(table, [("11", "9"), ("11", "5"), ("11", "6")], first=1)
    send(table)
    within(table, 5, lambda: texts(table, "#nu .gedaan .status") == ["Niet verzonden"], "kept while offline")
    time.sleep(4)  # a retry or two fails meanwhile
    assert texts(table, "#nu .gedaan .status") == ["Niet verzonden"]
    assert stored(desk.database, id_match) == ([], [])
    before = wins(live)
    start = time.monotonic()
    table.set_network_conditions(offline=False, latency=0, download_throughput=0, upload_throughput=0)
    within(live, FRESH, lambda: wins(live) == before + 1, "standings once the network is back")
    print("kept entry on the standings after the network came back: %.2f s" % (time.monotonic() - start))
    accepted_once(desk, table, id_match)


def expected(message):
    """What the browser logs of the test's own doing: the network it took away, the refusal it asked for."""
    return "ERR_INTERNET_DISCONNECTED" in message or ("/tafel/uitslag" in message and "status of 422" in message)


if __name__ == "__main__":
    browser_test(run, "table page: all checks passed", browsers=2, size=(390, 844),
                 shot=("--shot", "file for a screenshot of the whole page, a result being entered"), expected=expected)
