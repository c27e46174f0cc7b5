// The page of one table: the umpire's phone shows the match called to the
// table and sends its result to the desk. The table comes from the card's
// cookie, never from the address. A result is kept on the phone until the
// table's document lists it, and sent again until then: a retry carries the
// same entry id, so the desk stores it once however often it arrives.
// Data only ever reaches the page through textContent.
'use strict';

(function () {
  const { answered, lost, timed, since, el, add } = window.hall;

  const RETRY_MS = 3000;    // an entry without an answer is sent again after this
  const CONFIRM_MS = 6000;  // an entry the desk took but does not list yet, after this
  const KEEP_NAMES = 80;    // matches whose names the phone remembers for its list

  const KEY_DEVICE = 'velgram.apparaat';
  const KEY_PENDING = 'velgram.tafel.onverzonden';
  const KEY_NAMES = 'velgram.tafel.namen';

  const WAITS = 'Wacht op de wedstrijdtafel.';  // the desk's usual reason, said by the status itself

  // ------------------------------------------------------------ the phone's memory

  function load(key, fallback) {
    try {
      const v = JSON.parse(localStorage.getItem(key));
      return v === null || v === undefined ? fallback : v;
    } catch (e) {
      return fallback;
    }
  }

  function save(key, value) {
    try {
      localStorage.setItem(key, JSON.stringify(value));
    } catch (e) {
      // Private mode or a full store: the page still works while it stays open.
    }
  }

  function randomHex(bytes) {
    const a = new Uint8Array(bytes);
    crypto.getRandomValues(a);
    return Array.from(a, (b) => b.toString(16).padStart(2, '0')).join('');
  }

  let device = load(KEY_DEVICE, '');
  if (typeof device !== 'string' || !/^[0-9a-f]{32}$/.test(device)) {
    device = randomHex(16);
    save(KEY_DEVICE, device);
  }

  // Entries the table's document does not list yet:
  // { id, tafel, match, body, text, names, sent, tried }.
  let pending = load(KEY_PENDING, []);
  if (!Array.isArray(pending)) pending = [];
  const refused = [];  // refused by the server when sent again: shown, not kept
  let names = load(KEY_NAMES, {});  // match id -> [naam1, naam2]
  if (typeof names !== 'object' || Array.isArray(names)) names = {};

  function keepPending() {
    save(KEY_PENDING, pending.map(({ id, tafel, match, body, text, names: n, sent }) =>
      ({ id, tafel, match, body, text, names: n, sent })));
  }

  function remember(w) {
    if (!w || names[w.id]) return;
    names[w.id] = [w.naam1, w.naam2];
    const ids = Object.keys(names);
    if (ids.length > KEEP_NAMES) for (const id of ids.slice(0, ids.length - KEEP_NAMES)) delete names[id];
    save(KEY_NAMES, names);
  }

  // ------------------------------------------------------------ the table's document

  let doc = null;      // the document as last read
  let etag = '';
  let refusal = '';    // why the desk does not give the page (no card, entry off, too many tries)
  let busy = false;

  async function poll() {
    if (busy) return false;
    busy = true;
    try {
      return await timed(async (signal) => {
        const reply = await since('/tafel/data', etag, signal);
        answered();
        if (reply.status === 304) return false;
        if (reply.ok) {
          doc = await reply.json();
          etag = reply.headers.get('ETag') || '';
          refusal = '';
          return true;
        }
        const before = refusal;
        refusal = (await fout(reply)) ||
                  (reply.status === 404 ? 'Invoer aan de tafels staat uit.' : 'De wedstrijdtafel geeft deze pagina niet.');
        const changed = doc !== null || refusal !== before;
        doc = null;
        etag = '';
        return changed;
      });
    } catch (e) {
      lost();
      return false;
    } finally {
      busy = false;
    }
  }

  async function fout(reply) {
    try {
      const body = await reply.json();
      return typeof body.fout === 'string' ? body.fout : '';
    } catch (e) {
      return '';
    }
  }

  // ------------------------------------------------------------ sending

  // One try. 'ok' when the desk took it, 'later' when it did not arrive (or
  // the desk asks to wait), else the server's reason for refusing it.
  async function send(p) {
    if (p.busy) return 'later';
    p.busy = true;
    p.tried = Date.now();
    try {
      return await timed(async (signal) => {
        const reply = await fetch('/tafel/uitslag', {
          method: 'POST',
          headers: { 'Content-Type': 'application/json' },
          body: JSON.stringify(p.body),
          cache: 'no-store',
          signal,
        });
        answered();
        if (reply.status === 202) {
          p.sent = true;
          keepPending();
          return 'ok';
        }
        if (reply.status === 429 || reply.status >= 500) return 'later';
        return { fout: (await fout(reply)) || 'De wedstrijdtafel weigert deze uitslag.' };
      });
    } catch (e) {
      lost();
      return 'later';
    } finally {
      p.busy = false;
    }
  }

  function drop(p) {
    pending = pending.filter((q) => q !== p);
    keepPending();
  }

  async function resend(all) {
    if (!doc) return;
    const now = Date.now();
    for (const p of pending.slice()) {
      // An entry made for another table's card waits until that card is used again.
      if (p.tafel !== doc.tafel || p.busy) continue;
      if (!all && now - (p.tried || 0) < (p.sent ? CONFIRM_MS : RETRY_MS)) continue;
      const outcome = await send(p);
      if (typeof outcome === 'object') {
        drop(p);
        refused.unshift({ id: p.id, match: p.match, text: p.text, fout: outcome.fout });
        refused.length = Math.min(refused.length, 5);
      }
      render();
    }
  }

  // The document lists what reached the queue: such entries are safe.
  function settle() {
    if (!doc) return;
    const listed = new Set(doc.invoer.map((e) => e.entry));
    const left = pending.filter((p) => !listed.has(p.id));
    if (left.length !== pending.length) {
      pending = left;
      keepPending();
    }
  }

  // ------------------------------------------------------------ building blocks

  function poolTitle(w) {
    return w.klasse ? w.klasse + ' – ' + w.poule : w.poule;
  }

  function card(w, cls) {
    const box = el('div', 'wedstrijd ' + (cls || ''));
    box.dataset.id = w.id;
    add(box,
        add(el('div', 'meta'), w.tijd ? el('span', 'tijd', w.tijd) : null, el('span', null, poolTitle(w))),
        el('div', 'naam', w.naam1), el('div', 'tegen', 'tegen'), el('div', 'naam', w.naam2));
    return box;
  }

  // A text field for a number: the phone's number keys, the text sent as typed.
  function numberField(label) {
    const input = el('input', 'getal');
    Object.assign(input, { type: 'text', inputMode: 'numeric', autocomplete: 'off', maxLength: 3 });
    input.setAttribute('pattern', '[0-9]*');
    input.setAttribute('aria-label', label);
    input.setAttribute('enterkeyhint', 'next');
    return input;
  }

  function isNumber(text) {
    return /^\d+$/.test(text);
  }

  // ------------------------------------------------------------ the entry form

  // The form of the match on the table, kept while the match and its rules
  // stay: an update of the page never takes what the umpire typed.
  let form = null;  // { key, match, node, read, dirty, error, again }
  let changedNote = false;

  function formKey(w) {
    return JSON.stringify([w.id, w.mode, w.setMax, w.naam1, w.naam2, w.eindes]);
  }

  function buildForm(w) {
    const f = { key: formKey(w), match: w, dirty: false };
    const node = el('form', 'invoer');
    node.noValidate = true;
    const fields = el('div', 'velden');
    let read;
    const short1 = w.naam1, short2 = w.naam2;

    if (w.mode === 1) {
      // Winner only.
      let winner = -1;
      const buttons = [short1, short2].map((n, side) => {
        const b = el('button', 'winnaar', n);
        b.type = 'button';
        b.setAttribute('aria-pressed', 'false');
        b.addEventListener('click', () => {
          winner = side;
          f.dirty = true;
          buttons.forEach((x, i) => x.setAttribute('aria-pressed', String(i === side)));
        });
        return b;
      });
      add(fields, el('div', 'vraag', 'Wie heeft gewonnen?'), add(el('div', 'winnaars'), ...buttons));
      read = (ending) => {
        if (ending.decision === 0 && winner < 0) return { fout: 'Kies de winnaar.' };
        return { body: { winner: ending.decision === 0 ? winner : -1 },
                 text: ending.decision === 0 ? 'Winnaar: ' + (winner === 0 ? w.naam1 : w.naam2) : '' };
      };
    } else if (w.mode === 2) {
      // Games won.
      const a = numberField('Gewonnen games ' + w.naam1);
      const b = numberField('Gewonnen games ' + w.naam2);
      add(fields, el('div', 'vraag', 'Gewonnen games'),
          add(el('div', 'paar'), add(el('label', 'zijde'), el('span', 'wie', short1), a),
              el('span', 'streep', '–'), add(el('label', 'zijde'), el('span', 'wie', short2), b)));
      read = (ending) => {
        const g1 = a.value.trim(), g2 = b.value.trim();
        if ((g1 && !isNumber(g1)) || (g2 && !isNumber(g2))) return { fout: 'Vul alleen hele getallen in.' };
        if (ending.decision !== 1 && !g1 && !g2) return { fout: 'Vul de gewonnen games in.' };
        return { body: { games1: g1, games2: g2 }, text: (g1 || '0') + ' - ' + (g2 || '0') };
      };
    } else {
      // Game by game, or the duo's ten games in their fixed order.
      const duo = w.mode === 3;
      const rows = [];
      const grid = el('table', 'games');
      add(grid, add(el('thead'), add(el('tr'), el('th'), el('th', 'wie', short1), el('th', 'wie', short2))));
      const body = el('tbody');
      const count = duo ? 10 : Math.max(1, Math.min(7, Number(w.setMax) || 5));
      const SUBS = ['a-x', 'b-y', 'a-y', 'b-x', 'ab-xy'];
      for (let i = 0; i < count; ++i) {
        const label = duo ? SUBS[i >> 1] + ' game ' + ((i & 1) + 1) : 'Game ' + (i + 1);
        const a = numberField(label + ' ' + w.naam1);
        const b = numberField(label + ' ' + w.naam2);
        rows.push([a, b]);
        const head = duo ? SUBS[i >> 1] + ' \u00b7 ' + ((i & 1) + 1) : label;
        const tr = add(el('tr'), el('th', null, head), add(el('td'), a), add(el('td'), b));
        if (duo && i % 2 === 1 && i < count - 1) tr.classList.add('einde-deel');
        body.appendChild(tr);
      }
      add(grid, body);
      const tally = el('div', 'telling');
      const show = () => {
        // Only a count of the games entered so far; the desk's rules judge them.
        let w1 = 0, w2 = 0;
        for (const [a, b] of rows) {
          if (!isNumber(a.value.trim()) || !isNumber(b.value.trim())) continue;
          const p1 = Number(a.value), p2 = Number(b.value);
          if (p1 > p2) ++w1; else if (p2 > p1) ++w2;
        }
        tally.textContent = 'Games: ' + w1 + ' - ' + w2;
      };
      rows.forEach(([a, b]) => {
        a.addEventListener('input', show);
        b.addEventListener('input', show);
      });
      show();
      add(fields, grid, tally);
      read = (ending) => {
        const texts = rows.map(([a, b]) => [a.value.trim(), b.value.trim()]);
        const max = Number(w.maxPunten) || 99;
        for (const pair of texts)
          for (const t of pair)
            if (t && (!isNumber(t) || Number(t) > max)) return { fout: 'Een score is een heel getal van 0 tot ' + max + '.' };
        if (ending.decision !== 1 && texts.every(([x, y]) => !x && !y)) return { fout: 'Vul de games in.' };
        const played = texts.filter(([x, y]) => x || y);
        const text = played.map(([x, y]) => (x || '0') + '-' + (y || '0')).join(' ');
        return { body: duo ? { duo: texts } : { games: texts.slice(0, played.length ? lastFilled(texts) + 1 : 0) }, text };
      };
    }

    // How the match ended; a walkover needs no score.
    const ending = el('select', 'einde');
    ending.setAttribute('aria-label', 'Afloop');
    (Array.isArray(w.eindes) ? w.eindes : ['Gespeeld']).forEach((t, i) => {
      const o = el('option', null, t);
      o.value = String(i);
      ending.appendChild(o);
    });
    const endingOf = () => {
      const i = Number(ending.value) || 0;
      return i === 0 ? { decision: 0, side: -1, index: 0 } : { decision: i <= 2 ? 1 : 2, side: (i - 1) % 2, index: i };
    };
    ending.addEventListener('change', () => {
      f.dirty = true;
      fields.hidden = endingOf().decision === 1;
    });
    node.addEventListener('input', () => {
      f.dirty = true;
      f.showError('');  // the umpire is correcting what was refused
    });

    const error = el('p', 'fout', '');
    error.setAttribute('role', 'alert');
    error.hidden = true;
    const button = el('button', 'versturen', 'Versturen');
    button.type = 'submit';
    add(node, fields, add(el('label', 'afloop'), el('span', 'vraag', 'Afloop'), ending), error, button);

    f.node = node;
    f.showError = (text) => {
      error.textContent = text;
      error.hidden = !text;
    };
    node.addEventListener('submit', (ev) => {
      ev.preventDefault();
      submit(f, read, endingOf(), button);
    });
    return f;
  }

  function lastFilled(texts) {
    let last = -1;
    texts.forEach(([x, y], i) => { if (x || y) last = i; });
    return last;
  }

  async function submit(f, read, ending, button) {
    const w = f.match;
    const got = read(ending);
    if (got.fout) return f.showError(got.fout);
    f.showError('');
    const body = Object.assign({ entry: randomHex(16), device, match: w.id, mode: w.mode,
                                 decision: ending.decision, side: ending.side }, got.body);
    const endingText = ending.index > 0 ? w.eindes[ending.index] : '';
    const p = { id: body.entry, tafel: doc.tafel, match: w.id, body, names: [w.naam1, w.naam2],
                text: [got.text, endingText].filter(Boolean).join(', '), sent: false, tried: 0 };
    remember(w);
    pending.unshift(p);
    keepPending();
    button.disabled = true;
    button.textContent = 'Versturen…';
    const outcome = await send(p);
    button.disabled = false;
    button.textContent = 'Versturen';
    if (typeof outcome === 'object') {
      // Refused at once (the rules of the match, a card no longer valid): the
      // umpire corrects what was typed.
      drop(p);
      f.showError(outcome.fout);
      return;
    }
    // Taken, or kept until the connection is back: the form's work is done.
    form = null;
    again = -1;
    render();
  }

  // ------------------------------------------------------------ drawing

  const tableBox = document.getElementById('tafel');
  const nameBox = document.getElementById('toernooi');
  const note = document.getElementById('melding');
  const nowBox = document.getElementById('nu');
  const nextBox = document.getElementById('volgende');
  const listBox = document.getElementById('invoer');

  const STATUS = {
    wacht: () => 'Ontvangen, wacht op de wedstrijdtafel',
    geaccepteerd: () => 'Geaccepteerd',
    afgewezen: (e) => 'Afgewezen: ' + (e.reden || ''),
  };

  let again = -1;  // the match for which the umpire asked to enter another result

  // Every entry the page knows, newest first: its own not yet listed, those
  // refused on a retry, then the table's list.
  function entries() {
    const out = [];
    const tafel = doc ? doc.tafel : null;
    for (const p of pending)
      if (p.tafel === tafel)
        out.push({ id: p.id, match: p.match, text: p.text, status: p.sent ? 'verzonden' : 'onverzonden',
                   line: p.sent ? 'Verzonden' : 'Niet verzonden' });
    for (const r of refused)
      out.push({ id: r.id, match: r.match, text: r.text, status: 'afgewezen', line: 'Afgewezen: ' + r.fout });
    if (doc)
      for (const e of doc.invoer) {
        const line = (STATUS[e.status] || (() => e.status))(e);
        out.push({ id: e.entry, match: e.match, text: e.uitslag, status: e.status, line,
                   reden: e.status === 'wacht' && e.reden && e.reden !== WAITS ? e.reden : '' });
      }
    return out;
  }

  function entryItem(e) {
    const li = el('li', 'regel ' + e.status);
    li.dataset.entry = e.id;
    const n = names[e.match];
    add(li, el('div', 'wie', n ? n[0] + ' – ' + n[1] : 'Wedstrijd ' + e.match),
        e.text ? el('div', 'uitslag', e.text) : null, el('div', 'status', e.line),
        e.reden ? el('div', 'reden', e.reden) : null);
    return li;
  }

  function renderNow(list) {
    const w = doc.nu;
    if (!w) {
      form = null;
      nowBox.replaceChildren(el('h2', null, 'Nu aan deze tafel'), el('p', 'leeg', 'Geen wedstrijd aan deze tafel'));
      return;
    }
    remember(w);
    // What was entered last for this match decides whether the form shows.
    const last = list.find((e) => e.match === w.id);
    const open = !last || last.status === 'afgewezen' || again === w.id;
    const parts = [el('h2', null, 'Nu aan deze tafel'), card(w, 'nu')];
    if (open) {
      const key = formKey(w);
      if (!form || form.key !== key) {
        if (form && form.dirty && form.match.id !== w.id) changedNote = true;
        form = buildForm(w);
      }
      parts.push(form.node);
    } else {
      form = null;
      const box = add(el('div', 'gedaan ' + last.status), el('div', 'status', last.line),
                      last.text ? el('div', 'uitslag', last.text) : null);
      const b = el('button', 'opnieuw', 'Andere uitslag invoeren');
      b.type = 'button';
      b.addEventListener('click', () => {
        again = w.id;
        render();
      });
      parts.push(add(box, b));
    }
    // An update keeps the form's own node in place, so that focus and typing survive.
    if (open && nowBox.contains(form.node)) nowBox.replaceChild(parts[1], nowBox.children[1]);
    else nowBox.replaceChildren(...parts);
    nowBox.dataset.id = String(w.id);
  }

  function render() {
    if (!doc) {
      form = null;
      nowBox.dataset.id = '';
      tableBox.textContent = 'Tafel';
      nameBox.textContent = '';
      note.hidden = !refusal;
      note.textContent = refusal;
      nowBox.replaceChildren(...(refusal ? [] : [el('p', 'leeg', 'Laden…')]));
      nextBox.replaceChildren();
      listBox.replaceChildren();
      return;
    }
    tableBox.textContent = 'Tafel ' + doc.tafel;
    nameBox.textContent = doc.toernooi;
    document.title = 'Tafel ' + doc.tafel + ' – ' + doc.toernooi;
    const list = entries();
    renderNow(list);
    note.hidden = !changedNote;
    note.textContent = changedNote ? 'De wedstrijd aan deze tafel is veranderd. Vul de uitslag opnieuw in.' : '';
    if (doc.volgende) remember(doc.volgende);
    nextBox.replaceChildren(el('h2', null, 'Hierna'),
                            doc.volgende ? card(doc.volgende, 'later') : el('p', 'leeg', 'Nog geen volgende wedstrijd'));
    listBox.replaceChildren(el('h2', null, 'Ingevoerde uitslagen'),
                            list.length ? add(el('ol', 'lijst'), ...list.map(entryItem))
                                        : el('p', 'leeg', 'Nog niets ingevoerd aan deze tafel'));
  }

  // ------------------------------------------------------------ running

  async function refresh() {
    if (await poll()) {
      settle();
      render();
    }
    resend(false);
  }

  document.addEventListener('input', () => {
    if (changedNote) {
      changedNote = false;
      note.hidden = true;
    }
  });

  window.addEventListener('online', () => resend(true));

  render();
  refresh();
  window.hall.run(refresh);
})();
