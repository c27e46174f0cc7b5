// The live pages of the hall: what the desk publishes, followed on a phone.
// Every page asks the desk for its documents once a second with the version
// it already has, so an unchanged tournament costs a "not modified" answer.
// Data only ever reaches the page through textContent.
'use strict';

(function () {
  const { answered, lost, timed, since, el, add } = window.hall;

  const KINDS = { poule: 'Poule', zwitsers: 'Zwitsers', knockout: 'Afval' };
  const CELLS = { 1: 'winst', 0: 'verlies' };  // the cross table's "1" and "0"

  // ------------------------------------------------------------ documents

  const docs = new Map();  // name -> { etag, data, loaded, missing, busy }

  function entry(name) {
    let d = docs.get(name);
    if (!d) {
      d = { etag: '', data: null, loaded: false, missing: false, busy: false };
      docs.set(name, d);
    }
    return d;
  }

  function data(name) {
    const d = docs.get(name);
    return d && d.loaded && !d.missing ? d.data : null;
  }

  // Asks for one document; true when what the page holds changed.
  async function poll(name) {
    const d = entry(name);
    if (d.busy) return false;
    d.busy = true;
    try {
      return await timed(async (signal) => {
        const reply = await since('/data/' + name, d.etag, signal);
        if (reply.status === 304) {
          answered();
          return false;
        }
        if (reply.status === 404) {
          // The desk is there, the document is not (a pool removed, a wrong link).
          answered();
          const changed = !d.loaded || !d.missing;
          Object.assign(d, { etag: '', data: null, loaded: true, missing: true });
          return changed;
        }
        if (!reply.ok) throw new Error('status ' + reply.status);
        const body = await reply.json();
        Object.assign(d, { etag: reply.headers.get('ETag') || '', data: body, loaded: true, missing: false });
        answered();
        return true;
      });
    } catch (e) {
      lost();
      return false;
    } finally {
      d.busy = false;
    }
  }

  // ------------------------------------------------------------ routes

  // "#nu", "#poules", "#poule/<id>", "#speler", "#speler/<id>".
  function route() {
    const hash = location.hash.replace(/^#/, '');
    let m = /^poule\/(\d+)$/.exec(hash);
    if (m) return { page: 'poule', id: Number(m[1]), menu: 'poules' };
    m = /^speler\/(\d+)$/.exec(hash);
    if (m) return { page: 'speler', id: Number(m[1]), menu: 'speler' };
    if (hash === 'poules') return { page: 'poules', menu: 'poules' };
    if (hash === 'speler') return { page: 'zoek', menu: 'speler' };
    return { page: 'nu', menu: 'nu' };
  }

  // The documents a page shows; a player's page also needs the pools the
  // player plays in, known once "spelers" is in.
  function needs(r) {
    switch (r.page) {
      case 'poules': return ['poules'];
      case 'poule': return ['poule/' + r.id];
      case 'zoek': return ['spelers'];
      case 'speler': {
        const p = findPlayer(r.id);
        return ['spelers'].concat(p ? p.poules.map((id) => 'poule/' + Number(id)) : []);
      }
      default: return ['nu'];
    }
  }

  let current = route();

  async function refresh() {
    const r = current;
    const asked = needs(r);
    const changed = await Promise.all(asked.map(poll));
    let again = false;
    const more = needs(r).filter((n) => !asked.includes(n));
    if (more.length) again = (await Promise.all(more.map(poll))).some(Boolean);
    if (r === current && (changed.some(Boolean) || again)) render();
  }

  // ------------------------------------------------------------ building blocks

  function link(hash, cls) {
    const a = el('a', cls);
    a.href = hash;
    return a;
  }

  function poolTitle(klasse, naam) {
    return klasse ? klasse + ' – ' + naam : naam;
  }

  // A pool's kind, worth showing only when its own name does not say it.
  function kindBeside(naam, soort) {
    const kind = KINDS[soort] || '';
    return String(naam).toLowerCase().includes(kind.toLowerCase()) ? '' : kind;
  }

  function minutes(tijd) {
    const m = /^(\d+):(\d\d)$/.exec(tijd || '');
    return m ? Number(m[1]) * 60 + Number(m[2]) : Infinity;
  }

  function empty(text) {
    return el('p', 'leeg', text);
  }

  // A match as two lines of names beside its result, or beside its table and
  // time while it is still to be played. The winner is bold, the loser faint.
  function duel(w, mine) {
    const box = el('li', 'duel');
    box.dataset.id = w.id;
    const names = add(el('div', 'zijden'), el('div', 'zijde', w.naam1), el('div', 'zijde', w.naam2));
    if (w.winnaar === 0 || w.winnaar === 1) {
      names.children[w.winnaar].classList.add('winnaar');
      names.children[1 - w.winnaar].classList.add('verliezer');
    }
    add(box, names);
    if (w.uitslag) {
      const right = add(el('div', 'uitslag'), el('div', 'score', w.uitslag));
      if (mine !== undefined && w.winnaar >= 0) {
        const won = w.winnaar === mine;
        right.appendChild(el('div', won ? 'gewonnen' : 'verloren', won ? 'gewonnen' : 'verloren'));
        box.classList.add(won ? 'was-gewonnen' : 'was-verloren');
      }
      add(box, right);
    } else if (w.bye) {
      add(box, el('div', 'plan', 'vrij'));
    } else {
      add(box, plan(w.tafel, w.tijd));
    }
    return box;
  }

  function plan(tafel, tijd) {
    const box = el('div', 'plan');
    if (tafel > 0) add(box, el('div', 'plan-tafel', 'Tafel ' + tafel));
    if (tijd) add(box, el('div', null, tijd));
    return box;
  }

  // ------------------------------------------------------------ pages

  function pageNu() {
    const d = data('nu');
    if (!d) return [];
    const list = el('ol', 'lijst');
    for (const w of d.wedstrijden) {
      const card = link('#poule/' + Number(w.idPoule), 'kaart');
      card.dataset.id = w.id;
      add(card,
          add(el('div', 'tafel'), el('span', 'label', 'Tafel'), el('span', 'nummer', w.tafel > 0 ? w.tafel : '–')),
          add(el('div', 'info'),
              add(el('div', 'meta'), el('span', 'tijd', w.tijd), el('span', null, poolTitle(w.klasse, w.poule))),
              el('div', 'naam', w.naam1), el('div', 'naam', w.naam2)));
      add(list, add(el('li'), card));
    }
    return [
      el('h1', null, 'Nu aan de beurt'),
      d.wedstrijden.length ? list : empty('Geen wedstrijden aan de beurt'),
      // Only the first matches travel to every phone; a player finds the rest on his own page.
      d.meer > 0 ? el('p', 'noot', 'En nog ' + d.meer + (d.meer === 1 ? ' wedstrijd' : ' wedstrijden') +
                       ' daarna: je eigen wedstrijden vind je onder Speler.') : null,
      el('p', 'telling', 'Gespeeld: ' + d.gespeeld + ' · Te spelen: ' + d.teSpelen),
    ];
  }

  function pagePoules() {
    const d = data('poules');
    if (!d) return [];
    const out = [el('h1', null, 'Poules')];
    for (const k of d.klassen) {
      out.push(el('h2', null, k.naam));
      const list = el('ul', 'lijst');
      for (const p of k.poules) {
        const a = link('#poule/' + Number(p.id), 'knop');
        add(a, el('span', 'knop-naam', p.naam), el('span', 'soort', kindBeside(p.naam, p.soort)));
        add(list, add(el('li'), a));
      }
      out.push(list);
    }
    if (!d.klassen.length) out.push(empty('Nog geen poules'));
    return out;
  }

  function standTable(heads, rows) {
    const table = el('table', 'stand');
    const tr = el('tr');
    for (const [text, cls] of heads) add(tr, el('th', cls, text));
    add(table, add(el('thead'), tr));
    const body = el('tbody');
    for (const r of rows) body.appendChild(r);
    return add(table, body);
  }

  // A player's line leads to the player's own page; a duo's line names two
  // players and stays put.
  function nameCell(s) {
    const ids = Array.isArray(s.spelers) ? s.spelers : [];
    const box = ids.length === 1 ? link('#speler/' + Number(ids[0]), 'wie-link') : el('span');
    add(box, el('span', 'naam', s.naam), s.club ? el('span', 'club', s.club) : null);
    return add(el('td', 'wie'), box);
  }

  function pouleParts(d) {
    // Places come once every match is played; until then the column would stand empty.
    const placed = d.stand.some((s) => s.plaats > 0);
    const rows = d.stand.map((s) => add(el('tr'), placed ? el('td', 'plaats', s.plaats || '') : null,
                                         nameCell(s), el('td', 'getal', s.gewonnen)));
    const heads = [['Naam'], ['Gewonnen', 'getal']];
    if (placed) heads.unshift(['Nr', 'plaats']);
    const out = [el('h2', null, 'Stand'), standTable(heads, rows)];
    if (!placed) out.push(el('p', 'noot', 'De plaatsen volgen als alle wedstrijden gespeeld zijn.'));
    if (d.kruistabel && d.kruistabel.length) {
      // Players by their number in the pool, their results read along the row.
      const table = el('table', 'kruis');
      const head = add(el('tr'), el('th', 'hoek'));
      d.kruistabel.forEach((_, j) => head.appendChild(el('th', null, j + 1)));
      add(table, add(el('thead'), head));
      const body = el('tbody');
      d.kruistabel.forEach((row, i) => {
        const s = d.stand[i];
        const tr = add(el('tr'), el('th', 'rij', (i + 1) + ' ' + (s ? s.naam : '')));
        row.forEach((cell, j) => tr.appendChild(el('td', i === j ? 'zelf' : CELLS[cell] || null, cell)));
        body.appendChild(tr);
      });
      out.push(el('h2', null, 'Kruistabel'), add(el('div', 'schuif'), add(table, body)));
    }
    return out;
  }

  function swissParts(d) {
    const rows = d.stand.map((s) => {
      const tr = add(el('tr'), el('td', 'plaats', s.plaats || ''), nameCell(s),
                     el('td', 'getal', s.punten), el('td', 'getal', s.weerstand));
      if (s.verwijderd) tr.classList.add('weg');
      return tr;
    });
    return [el('h2', null, d.ronde > 0 ? 'Stand na ronde ' + d.ronde : 'Stand'),
            standTable([['Nr', 'plaats'], ['Naam'], ['Punten', 'getal'], ['Weerstand', 'getal']], rows)];
  }

  function knockoutParts(d) {
    const out = [];
    for (const ronde of d.rondes) {
      out.push(el('h2', null, ronde.naam));
      const list = el('ol', 'lijst');
      for (const w of ronde.wedstrijden) list.appendChild(duel(w));
      out.push(list);
    }
    return out;
  }

  function matchList(wedstrijden) {
    const out = [el('h2', null, 'Wedstrijden')];
    if (!wedstrijden.length) return out.concat(empty('Nog geen wedstrijden'));
    const rounds = new Set(wedstrijden.map((w) => w.ronde));
    let list = null;
    let ronde = null;
    for (const w of wedstrijden) {
      if (!list || (rounds.size > 1 && w.ronde !== ronde)) {
        if (rounds.size > 1 && w.ronde > 0) out.push(el('h3', null, 'Ronde ' + w.ronde));
        list = el('ol', 'lijst');
        out.push(list);
        ronde = w.ronde;
      }
      list.appendChild(duel(w));
    }
    return out;
  }

  function pagePoule(r) {
    const d = data('poule/' + r.id);
    const e = docs.get('poule/' + r.id);
    if (e && e.missing) return [empty('Deze poule bestaat niet (meer).'), add(link('#poules', 'knop'), el('span', 'knop-naam', 'Alle poules'))];
    if (!d) return [];
    const kind = kindBeside(d.naam, d.soort);
    const out = [el('h1', null, poolTitle(d.klasse, d.naam))];
    if (kind) out.push(el('p', 'soort-kop', kind));
    if (d.soort === 'zwitsers') return out.concat(swissParts(d), matchList(d.wedstrijden));
    // The bracket lists every match with its result, table and time.
    if (d.soort === 'knockout') return out.concat(knockoutParts(d));
    return out.concat(pouleParts(d), matchList(d.wedstrijden));
  }

  let query = '';

  function fold(text) {
    return String(text).normalize('NFD').replace(/[\u0300-\u036f]/g, '').toLowerCase();
  }

  function playerButtons(list) {
    const d = data('spelers');
    list.replaceChildren();
    if (!d) return;
    const words = fold(query).split(/\s+/).filter(Boolean);
    let shown = 0;
    for (const p of d.spelers) {
      const name = fold(p.naam);
      if (!words.every((w) => name.includes(w))) continue;
      const a = link('#speler/' + Number(p.id), 'knop');
      a.dataset.id = p.id;
      add(a, add(el('span', 'knop-naam'), el('span', 'naam', p.naam), p.club ? el('span', 'club', p.club) : null));
      add(list, add(el('li'), a));
      ++shown;
    }
    if (!shown) list.appendChild(add(el('li'), empty(words.length ? 'Geen speler gevonden' : 'Nog geen spelers')));
  }

  // The search box stays while the list under it follows the typing and the
  // desk, so typing is never interrupted by an update.
  function pageZoek(main) {
    let list = main.querySelector('#gevonden');
    if (main.dataset.view === 'zoek' && list) {
      playerButtons(list);
      return null;
    }
    const input = el('input', 'zoek');
    Object.assign(input, { type: 'search', id: 'zoek', placeholder: 'Zoek je naam', autocomplete: 'off', value: query });
    input.setAttribute('aria-label', 'Naam van de speler');
    list = el('ul', 'lijst');
    list.id = 'gevonden';
    input.addEventListener('input', () => {
      query = input.value;
      playerButtons(list);
    });
    playerButtons(list);
    return [el('h1', null, 'Speler'), input, list];
  }

  function findPlayer(id) {
    const d = data('spelers');
    return d ? d.spelers.find((p) => p.id === id) || null : null;
  }

  function pageSpeler(r) {
    const spelers = data('spelers');
    if (!spelers) return [];
    const p = findPlayer(r.id);
    if (!p) return [empty('Deze speler staat niet (meer) in het toernooi.'), add(link('#speler', 'knop'), el('span', 'knop-naam', 'Zoek een speler'))];
    const open = [];
    const played = [];
    for (const idPool of p.poules) {
      const d = data('poule/' + Number(idPool));
      if (!d) continue;
      for (const w of d.wedstrijden) {
        const side = w.spelers1.includes(p.id) ? 0 : w.spelers2.includes(p.id) ? 1 : -1;
        if (side < 0) continue;
        const item = { w, side, pool: d };
        if (w.uitslag || w.winnaar >= 0) played.push(item); else open.push(item);
      }
    }
    open.sort((a, b) => minutes(a.w.tijd) - minutes(b.w.tijd) || (a.w.tafel || 1e9) - (b.w.tafel || 1e9) || a.w.id - b.w.id);

    const out = [el('h1', 'speler-kop', p.naam), p.club ? el('p', 'soort-kop', p.club) : null];
    out.push(el('h2', null, 'Volgende wedstrijd'));
    if (open.length) {
      const { w, side, pool } = open[0];
      const card = link('#poule/' + Number(pool.id), 'volgende');
      card.dataset.id = w.id;
      const where = el('div', 'volgende-waar');
      add(where, el('span', 'groot', w.tafel > 0 ? 'Tafel ' + w.tafel : 'Tafel volgt'), el('span', 'groot', w.tijd || ''));
      add(card, where, el('div', 'tegen', 'tegen ' + (side === 0 ? w.naam2 : w.naam1)),
          el('div', 'volgende-poule', poolTitle(pool.klasse, pool.naam)));
      out.push(card);
    } else {
      out.push(empty('Geen wedstrijd meer gepland'));
    }
    if (open.length > 1) {
      out.push(el('h2', null, 'Daarna'));
      out.push(add(el('ol', 'lijst'), ...open.slice(1).map((o) => duel(o.w))));
    }
    out.push(el('h2', null, 'Uitslagen'));
    out.push(played.length ? add(el('ol', 'lijst'), ...played.map((o) => duel(o.w, o.side))) : empty('Nog geen uitslagen'));
    return out.filter(Boolean);
  }

  // ------------------------------------------------------------ drawing

  const main = document.getElementById('inhoud');
  const nameBox = document.getElementById('toernooi');
  const changedBox = document.getElementById('gewijzigd');

  // The newest of the documents the page shows gives the name and the time.
  function header(r) {
    let newest = null;
    for (const name of needs(r)) {
      const d = data(name);
      if (d && (!newest || d.versie > newest.versie)) newest = d;
    }
    if (!newest) return;
    nameBox.textContent = newest.toernooi;
    document.title = newest.toernooi + ' – live';
    changedBox.textContent = 'Laatst gewijzigd ' + newest.gewijzigd;
  }

  function render() {
    const r = current;
    header(r);
    for (const a of document.querySelectorAll('#menu a')) {
      const on = a.id === 'menu-' + r.menu;
      a.classList.toggle('actief', on);
      if (on) a.setAttribute('aria-current', 'page'); else a.removeAttribute('aria-current');
    }
    let parts;
    try {
      switch (r.page) {
        case 'poules': parts = pagePoules(); break;
        case 'poule': parts = pagePoule(r); break;
        case 'zoek': parts = pageZoek(main); break;
        case 'speler': parts = pageSpeler(r); break;
        default: parts = pageNu();
      }
    } catch (e) {
      // A document the page cannot read must not leave old data standing as if current.
      parts = [empty('Deze gegevens kan de pagina niet tonen.')];
    }
    if (parts === null) return;  // updated in place
    if (!parts.length) parts = [empty('Laden…')];
    main.replaceChildren(...parts);
    main.dataset.view = r.page;
  }

  window.addEventListener('hashchange', () => {
    current = route();
    render();
    window.scrollTo(0, 0);
    refresh();
  });

  render();
  refresh();
  window.hall.run(refresh);
})();
