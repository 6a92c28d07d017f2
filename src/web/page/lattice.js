// The witness model drawn on the lattice of subsets of the query's
// variables: a Hasse diagram with the empty set at the bottom, one rank per
// size, an edge from S to S with one more element. The statements asked
// about are marked on the four subsets C, AC, BC, ABC of their product,
// the sets whose values their imset weighs.
'use strict';

(function (root) {
  const SVG = 'http://www.w3.org/2000/svg';
  const NODE_HEIGHT = 36;
  const RANK_GAP = 84;
  const NODE_GAP = 22;
  const CHAR_WIDTH = 7.2;
  const MARGIN = 30;
  // Extra cues only: statements are told apart by ring size and number,
  // holds from fails by solid against dashed.
  const PALETTE = ['#b4006a', '#0063b4', '#8a5a00', '#007a4d', '#6a3db4', '#b43d00'];

  // Elements run together in names of one character ("012"), as in the
  // short form of statements; longer names are separated by commas.
  function subsetName(mask, names) {
    if (mask === 0) return '\u2205';
    const members = names.filter((_, i) => mask & (1 << i));
    return members.join(names.every((n) => n.length === 1) ? '' : ', ');
  }

  function productSubsets(sets) {
    return [sets.c, sets.a | sets.c, sets.b | sets.c, sets.a | sets.b | sets.c];
  }

  function bitCount(mask) {
    let count = 0;
    for (; mask; mask &= mask - 1) ++count;
    return count;
  }

  // Subsets by size, each rank in the order of its members' indices.
  function ranks(n) {
    const byRank = Array.from({ length: n + 1 }, () => []);
    for (let mask = 0; mask < 1 << n; ++mask) byRank[bitCount(mask)].push(mask);
    const key = (mask) => Array.from({ length: n }, (_, i) => (mask & (1 << i) ? '0' : '1')).join('');
    byRank.forEach((rank) => rank.sort((x, y) => (key(x) < key(y) ? -1 : 1)));
    return byRank;
  }

  function element(name, attributes, text) {
    const node = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes || {})) node.setAttribute(key, String(value));
    if (text !== undefined) node.textContent = text;
    return node;
  }

  // Positions of every subset: ranks bottom up, each row centred.
  function layout(names) {
    const n = names.length;
    const byRank = ranks(n);
    const width = (mask) => Math.max(44, subsetName(mask, names).length * CHAR_WIDTH + 16);
    const rowWidth = (rank) => rank.reduce((w, mask) => w + width(mask), 0) + NODE_GAP * (rank.length - 1);
    const inner = Math.max(...byRank.map(rowWidth), 260);
    const places = new Map();
    byRank.forEach((rank, size) => {
      let x = MARGIN + (inner - rowWidth(rank)) / 2;
      const y = MARGIN + 14 + (n - size) * RANK_GAP;
      for (const mask of rank) {
        places.set(mask, { x, y, w: width(mask) });
        x += width(mask) + NODE_GAP;
      }
    });
    return { places, width: inner + 2 * MARGIN, height: MARGIN + 14 + n * RANK_GAP + NODE_HEIGHT };
  }

  const STYLE =
    'text{font-family:sans-serif;font-size:12px;fill:#111}' +
    '.edge{stroke:#999;stroke-width:1}' +
    '.subset rect.node{fill:#fff;stroke:#333;stroke-width:1.2}' +
    '.subset .value{font-weight:bold;font-size:13px}' +
    '.mark{fill:none;stroke-width:2}' +
    '.mark.fails{stroke-dasharray:5 3}' +
    '.legend-title{font-weight:bold}';

  // Draws the model into `svg` (emptied first). `answer` holds `names`,
  // `values` (2^n integers indexed by bitmask), `marks` ({statement,
  // holds, sets: [A, B, C] as bitmasks}, as the module gives them), and an
  // optional `title`.
  function draw(svg, answer) {
    const names = answer.names;
    const values = answer.values;
    while (svg.firstChild) svg.removeChild(svg.firstChild);
    if (values.length !== 1 << names.length) throw new Error('expected ' + (1 << names.length) + ' values');
    const { places, width: diagramWidth, height: diagramHeight } = layout(names);
    const marks = answer.marks.map((mark, k) => ({ ...mark, k, sets: mark.sets && { a: mark.sets[0], b: mark.sets[1], c: mark.sets[2] } }));
    // Subsets of several long names are braced, since the list separates them by commas too.
    const short = names.every((n) => n.length === 1);
    const named = (m) => (short || m === 0 ? subsetName(m, names) : '{' + subsetName(m, names) + '}');
    for (const mark of marks) {
      const where = mark.sets ? 'on ' + Array.from(new Set(productSubsets(mark.sets)), named).join(', ') : 'not drawn';
      mark.words = `${mark.k + 1}. ${mark.holds ? 'holds' : 'fails'} (${mark.holds ? 'solid' : 'dashed'}): ${mark.statement}, ${where}`;
    }
    const legendWidth = 2 * MARGIN + 36 + Math.max(0, ...marks.map((m) => m.words.length)) * 6.6;
    const width = Math.ceil(Math.max(diagramWidth, legendWidth));
    const shift = (width - diagramWidth) / 2;
    const legendHeight = 28 + 20 * marks.length;
    const height = diagramHeight + legendHeight + MARGIN;
    svg.setAttribute('xmlns', SVG);
    svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    svg.setAttribute('width', width);
    svg.setAttribute('height', height);
    svg.setAttribute('role', 'img');
    svg.appendChild(element('title', {}, answer.title || 'witness model on the lattice of subsets'));
    svg.appendChild(element('style', {}, STYLE));
    svg.appendChild(element('rect', { x: 0, y: 0, width, height, fill: '#fff' }));

    const centre = (mask) => places.get(mask).x + places.get(mask).w / 2;
    const diagram = element('g', { class: 'diagram', transform: `translate(${shift} 0)` });
    const edges = element('g', { class: 'edges' });
    for (const [mask, place] of places) {
      names.forEach((_, i) => {
        if (mask & (1 << i)) return;
        const up = places.get(mask | (1 << i));
        edges.appendChild(
          element('line', { class: 'edge', x1: centre(mask), y1: place.y, x2: centre(mask | (1 << i)), y2: up.y + NODE_HEIGHT })
        );
      });
    }
    diagram.appendChild(edges);

    const marksAt = new Map();
    for (const mark of marks) {
      if (!mark.sets) continue;
      for (const mask of new Set(productSubsets(mark.sets))) {
        if (!marksAt.has(mask)) marksAt.set(mask, []);
        marksAt.get(mask).push(mark);
      }
    }

    for (const [mask, place] of places) {
      const name = subsetName(mask, names);
      const node = element('g', { class: 'subset', 'data-mask': mask, 'data-value': values[mask] });
      node.appendChild(element('title', {}, `${mask === 0 ? 'empty set' : '{' + name + '}'}: ${values[mask]}`));
      for (const mark of marksAt.get(mask) || []) {
        const grow = 3 + 3 * (mark.k % 4);
        node.appendChild(
          element('rect', {
            class: 'mark ' + (mark.holds ? 'holds' : 'fails'),
            'data-statement': mark.k,
            x: place.x - grow,
            y: place.y - grow,
            width: place.w + 2 * grow,
            height: NODE_HEIGHT + 2 * grow,
            rx: 6 + grow,
            stroke: PALETTE[mark.k % PALETTE.length],
          })
        );
      }
      node.appendChild(element('rect', { class: 'node', x: place.x, y: place.y, width: place.w, height: NODE_HEIGHT, rx: 6 }));
      node.appendChild(element('text', { class: 'name', x: place.x + place.w / 2, y: place.y + 14, 'text-anchor': 'middle' }, name));
      node.appendChild(
        element('text', { class: 'value', x: place.x + place.w / 2, y: place.y + 30, 'text-anchor': 'middle' }, values[mask])
      );
      diagram.appendChild(node);
    }
    svg.appendChild(diagram);

    // The legend: which statement each ring belongs to, in words.
    const legend = element('g', { class: 'legend' });
    let y = diagramHeight + 20;
    legend.appendChild(
      element('text', { class: 'legend-title', x: MARGIN, y }, marks.length ? 'Statements asked (rings around C, AC, BC, ABC):' : 'No statements to mark.')
    );
    for (const mark of marks) {
      y += 20;
      const sample = element('rect', {
        class: 'mark ' + (mark.holds ? 'holds' : 'fails'),
        x: MARGIN,
        y: y - 11,
        width: 28,
        height: 14,
        rx: 4,
        stroke: PALETTE[mark.k % PALETTE.length],
      });
      legend.appendChild(sample);
      legend.appendChild(element('text', { class: 'legend-entry', x: MARGIN + 36, y }, mark.words));
    }
    svg.appendChild(legend);
  }

  // The drawing as a standalone SVG file's text.
  function serialize(svg) {
    return '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(svg) + '\n';
  }

  const api = { subsetName, productSubsets, ranks, draw, serialize };
  root.ImsetLattice = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof self !== 'undefined' ? self : this);
