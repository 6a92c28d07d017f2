// The page: sends the box's text to the worker and lays out what the
// module answers, in the module's own words; the picture draws the chosen
// answer's witness model, its statements' sets as the module gives them.
// Nothing here reads or judges a statement: the module parses, answers and
// words everything.
'use strict';

(function () {
  const SHOWN = 200; // answers laid out at once; the JSON download holds them all
  const LINK_LIMIT = 50000; // longer boxes are not put in the link
  const SOURCE = 'query'; // the box's name in the module's messages (worker.js passes it)

  const byId = (id) => document.getElementById(id);
  const box = byId('query');
  const askButton = byId('ask');
  const status = byId('status');
  const answerArea = byId('answer');
  const pick = byId('pick');
  const pickLabel = byId('pick-label');
  const svg = byId('lattice');
  const pictureStatus = byId('picture-status');
  const saveButton = byId('save-svg');
  const downloadButton = byId('download-json');

  let ready = false;
  let nextId = 0;
  let latest = 0;
  let answers = []; // the last ask's {json, text}, every one of them
  let drawnLine = 0;
  let linkNote = '';
  const sentAt = new Map();
  // Timings of each ask for the benchmark, the answers for the browser test.
  const timings = [];
  window.imsetPage = { timings, answers: () => answers };

  let worker = null;
  try {
    worker = new Worker('worker.js');
    worker.onmessage = (event) => receive(event.data);
    worker.onerror = (event) => fail(event.message || 'the worker did not start');
  } catch (error) {
    fail(String(error.message || error) + ' (serve this folder over HTTP: a page opened as a file cannot start its worker)');
  }

  function fail(message) {
    ready = false;
    status.textContent = 'cannot answer: ' + message;
    status.classList.add('failed');
  }

  function receive(message) {
    if (message.type === 'ready') {
      ready = true;
      status.textContent = latest > 0 && sentAt.has(latest) ? 'ready; asking…' : 'ready';
    } else if (message.type === 'failed') {
      fail(message.message);
    } else if (message.type === 'answer' && message.id === latest && message.result !== null) {
      show(JSON.parse(message.result), message.id, message.ms);
    }
  }

  function ask() {
    const text = box.value;
    const id = ++nextId;
    latest = id;
    if (!worker) return;
    sentAt.set(id, performance.now());
    worker.postMessage({ id, text, texts: SHOWN });
    remember(text);
    if (!status.classList.contains('failed')) {
      status.textContent = ready ? 'asking…' : 'loading… (the query is answered as soon as the ray types are loaded)';
    }
  }

  // The box's text in the address, so that a link asks the same again.
  function remember(text) {
    linkNote = '';
    const base = location.pathname + location.search;
    if (text.length <= LINK_LIMIT) {
      history.replaceState(null, '', base + '#q=' + encodeURIComponent(text));
    } else {
      history.replaceState(null, '', base);
      linkNote = '; the link does not hold a box this long';
    }
  }

  function linkedText() {
    const match = /^#q=([\s\S]*)$/.exec(location.hash);
    if (!match) return null;
    try {
      return decodeURIComponent(match[1]);
    } catch (error) {
      return null;
    }
  }

  function paragraph(text, className) {
    const p = document.createElement('p');
    p.textContent = text;
    if (className) p.className = className;
    return p;
  }

  // The box's offsets of a 1-based line and of a column counted in bytes of
  // UTF-8, as the module counts them, up to the end of the word there.
  function place(line, column) {
    const lines = box.value.split('\n');
    if (line < 1 || line > lines.length) return null;
    let start = 0;
    for (let i = 0; i < line - 1; ++i) start += lines[i].length + 1;
    const text = lines[line - 1];
    if (column === undefined) return { start, end: start + text.length };
    let bytes = 0;
    let offset = 0;
    for (const character of text) {
      if (bytes >= column - 1) break;
      bytes += new TextEncoder().encode(character).length;
      offset += character.length;
    }
    let end = offset;
    while (end < text.length && !/\s/.test(text[end])) ++end;
    return { start: start + offset, end: start + Math.max(end, Math.min(offset + 1, text.length)) };
  }

  function pointAt(line, column) {
    const range = place(line, column);
    if (!range) return;
    box.focus();
    box.setSelectionRange(range.start, range.end);
  }

  // Messages name the box as "query:LINE:COLUMN: ...", "query:LINE: ..." or,
  // for a query that cannot be answered here, "query line N: ...".
  function errorBlock(messages) {
    const block = document.createElement('div');
    block.className = 'errors';
    block.setAttribute('role', 'alert');
    let first = null;
    let unanswerable = false;
    for (const message of messages) {
      const p = paragraph(message);
      const at = new RegExp('^' + SOURCE + ':(\\d+)(?::(\\d+))?: ').exec(message);
      const lineOnly = new RegExp('^' + SOURCE + ' line (\\d+): ').exec(message);
      const line = at ? Number(at[1]) : lineOnly ? Number(lineOnly[1]) : 0;
      const column = at && at[2] !== undefined ? Number(at[2]) : undefined;
      unanswerable = unanswerable || lineOnly !== null;
      if (line > 0) {
        const where = column === undefined ? `line ${line}` : `line ${line}, column ${column}`;
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'locate';
        button.textContent = `Show ${where} in the box`;
        button.addEventListener('click', () => pointAt(line, column));
        p.append(' ', button);
        if (!first) first = () => pointAt(line, column);
      }
      block.appendChild(p);
    }
    if (unanswerable) {
      block.appendChild(
        paragraph(
          'Questions this page cannot answer, such as those over more than five variables, are answered by the ' +
            'command line program imset-query and the Python module imset.',
          'note'
        )
      );
    }
    return { block, first };
  }

  function show(result, id, workerMs) {
    answers = result.answers;
    answerArea.replaceChildren();
    if (result.warnings.length) {
      const block = document.createElement('div');
      block.className = 'warnings';
      result.warnings.forEach((w) => block.appendChild(paragraph(w)));
      answerArea.appendChild(block);
    }
    let pointFirst = null;
    if (result.errors.length) {
      const { block, first } = errorBlock(result.errors);
      answerArea.appendChild(block);
      pointFirst = first;
    }
    if (result.tally) answerArea.appendChild(paragraph(result.tally, 'tally'));

    const list = document.createElement('ol');
    list.className = 'answers';
    const fragment = document.createDocumentFragment();
    pick.replaceChildren();
    answers.slice(0, SHOWN).forEach((answer, i) => {
      const item = document.createElement('li');
      const pre = document.createElement('pre');
      pre.textContent = answer.text.replace(/\n$/, '');
      item.appendChild(pre);
      item.addEventListener('click', () => {
        pick.value = String(i);
        draw(i);
      });
      fragment.appendChild(item);
      const option = document.createElement('option');
      option.value = String(i);
      option.textContent = answer.text.split('\n', 1)[0];
      pick.appendChild(option);
    });
    list.appendChild(fragment);
    answerArea.appendChild(list);
    if (answers.length > SHOWN) {
      answerArea.appendChild(
        paragraph(
          `${answers.length - SHOWN} more answers are not shown here; the JSON download holds all ${answers.length}.`,
          'more'
        )
      );
    }
    answerArea.dataset.count = String(answers.length);
    pick.hidden = pickLabel.hidden = answers.length < 2;
    downloadButton.disabled = answers.length === 0;
    if (answers.length) {
      draw(0);
    } else {
      clearPicture('Nothing to draw: no query was answered.');
    }
    if (pointFirst) pointFirst();

    const shown = performance.now();
    // shownAt counts from the start of the page's navigation.
    const timing = { id, queries: answers.length, workerMs, shownMs: shown - sentAt.get(id), shownAt: shown };
    sentAt.delete(id);
    timings.push(timing);
    status.textContent = `ready; ${answers.length} ${answers.length === 1 ? 'query' : 'queries'} answered in ${Math.round(workerMs)} ms${linkNote}`;
    requestAnimationFrame(() => setTimeout(() => (timing.paintedMs = performance.now() - shown + timing.shownMs)));
  }

  function clearPicture(message) {
    svg.replaceChildren();
    svg.setAttribute('aria-label', message);
    pictureStatus.textContent = message;
    saveButton.disabled = true;
  }

  function draw(i) {
    const answer = JSON.parse(answers[i].json);
    drawnLine = answer.line;
    answerArea.querySelectorAll('ol.answers li').forEach((item, k) => item.classList.toggle('drawn', k === i));
    const what = `query line ${answer.line}: ${answer.query}`;
    if (!answer.structural || !answer.model) {
      clearPicture(`No structural model exists for ${what}, so there is no witness to draw.`);
      return;
    }
    const sets = answers[i].sets;
    const marks = answer.holds
      .map((statement, k) => ({ statement, holds: true, sets: sets.holds[k] }))
      .concat(answer.fails.map((statement, k) => ({ statement, holds: false, sets: sets.fails[k] })));
    const title = `Witness model for ${what}`;
    ImsetLattice.draw(svg, { names: answer.variables, values: answer.model.values, marks, title });
    svg.style.minWidth = Math.min(Number(svg.getAttribute('width')), 480) + 'px';
    svg.setAttribute('aria-label', `${title}: its values on the ${answer.model.values.length} subsets`);
    pictureStatus.textContent = title + '.';
    saveButton.disabled = false;
  }

  function download(name, type, text) {
    const url = URL.createObjectURL(new Blob([text], { type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  askButton.addEventListener('click', ask);
  box.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && (event.ctrlKey || event.metaKey)) {
      event.preventDefault();
      ask();
    }
  });
  document.querySelectorAll('.examples button').forEach((button) => {
    button.addEventListener('click', async () => {
      const file = button.dataset.exampleFile;
      if (file) {
        // The shipped example file, fetched as it is.
        const response = await fetch(file);
        if (!response.ok) return void (status.textContent = `cannot fetch ${file}: HTTP ${response.status}`);
        box.value = await response.text();
      } else {
        box.value = button.dataset.example;
      }
      ask();
    });
  });
  pick.addEventListener('change', () => draw(Number(pick.value)));
  saveButton.addEventListener('click', () =>
    download(`imset-witness-line-${drawnLine}.svg`, 'image/svg+xml', ImsetLattice.serialize(svg))
  );
  downloadButton.addEventListener('click', () =>
    download('imset-answers.jsonl', 'application/x-ndjson', answers.map((a) => a.json).join('\n') + '\n')
  );
  window.addEventListener('hashchange', () => {
    const text = linkedText();
    if (text !== null && text !== box.value) {
      box.value = text;
      ask();
    }
  });

  const linked = linkedText();
  if (linked !== null) {
    box.value = linked;
    ask();
  }
})();
