// What the hall's phone pages share: asking the desk once a second, and the
// banner that says the desk has stopped answering. Loaded before the page's
// own script, which finds it as window.hall.
'use strict';

window.hall = (function () {
  const POLL_MS = 1000;
  const STALE_MS = 4000;  // no answer for this long: the page says the connection is gone

  const banner = document.getElementById('verbinding');
  let lastAnswer = Date.now();

  function answered() {
    lastAnswer = Date.now();
    banner.hidden = true;
  }

  function lost() {
    banner.hidden = false;
  }

  function watchSilence() {
    if (!document.hidden && Date.now() - lastAnswer > STALE_MS) lost();
  }

  // Runs ask(signal) with a signal that gives up after STALE_MS; reading the
  // reply's body inside ask is covered too, so a desk that stalls halfway
  // counts as silence.
  async function timed(ask) {
    const abort = new AbortController();
    const timer = setTimeout(() => abort.abort(), STALE_MS);
    try {
      return await ask(abort.signal);
    } finally {
      clearTimeout(timer);
    }
  }

  // A document asked for with the version the page holds: 304 while unchanged.
  function since(url, etag, signal) {
    const headers = etag ? { 'If-None-Match': etag } : {};
    return fetch(url, { headers, cache: 'no-store', signal });
  }

  function el(tag, cls, text) {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined && text !== null) e.textContent = String(text);
    return e;
  }

  function add(parent, ...children) {
    for (const c of children) if (c) parent.appendChild(c);
    return parent;
  }

  // Calls refresh every POLL_MS while the page is in view. A phone back from
  // sleep asks at once, before judging the silence.
  function run(refresh) {
    document.addEventListener('visibilitychange', () => {
      if (document.hidden) return;
      lastAnswer = Date.now();
      refresh();
    });
    setInterval(() => { if (!document.hidden) refresh(); }, POLL_MS);
    setInterval(watchSilence, 500);
  }

  return Object.freeze({ answered, lost, timed, since, el, add, run });
})();
