// The web page's module against imset-query, byte for byte: the JSON and
// the text of the shipped example queries, of seeded random queries over
// digits and over names, and the messages of malformed queries.
// Usage: node module_test.mjs WEB_DIR IMSET_QUERY DATA_DIR
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

const [webDir, program, dataDir] = process.argv.slice(2);
if (!fs.existsSync(program)) {
  console.error(`${program} is missing: build imset-query first (cmake --workflow --preset dev)`);
  process.exit(1);
}
const createImsetModule = createRequire(import.meta.url)(path.resolve(webDir, 'imset_web.js'));
const module = await createImsetModule({ wasmBinary: fs.readFileSync(path.join(webDir, 'imset_web.wasm')) });
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'imset-web-'));
let failures = 0;

function expectEqual(actual, expected, what) {
  if (actual === expected) return;
  failures += 1;
  let at = 0;
  while (at < actual.length && actual[at] === expected[at]) at += 1;
  console.error(`FAIL ${what}: differs at character ${at}\n  module:  ${JSON.stringify(actual.slice(at, at + 200))}` +
                `\n  program: ${JSON.stringify(expected.slice(at, at + 200))}`);
}

// imset-query on `text` saved as `name`: its stdout, stderr lines without
// the program's name, and status.
function native(name, text, flags) {
  fs.writeFileSync(path.join(work, name), text);
  const run = spawnSync(program, ['-q', ...flags, name], { cwd: work, encoding: 'utf8', maxBuffer: 1 << 30 });
  const said = run.stderr.split('\n').filter((line) => line !== '').map((line) => line.replace(/^imset-query: /, ''));
  return { out: run.stdout, said, status: run.status };
}

function ask(name, text) { return JSON.parse(module.ask(text, JSON.stringify({ source: name }))); }

// The JSON lines and the --implied text of every query in `text`.
function compareAnswers(name, text) {
  const asked = ask(name, text);
  if (asked.status !== 0) {
    failures += 1;
    console.error(`FAIL ${name}: status ${asked.status}: ${asked.errors.join('; ')}`);
    return;
  }
  const json = native(name, text, ['--json']);
  expectEqual(asked.answers.map((a) => a.json + '\n').join(''), json.out, `${name} --json`);
  const words = native(name, text, ['--implied']);
  expectEqual(asked.answers.map((a) => a.text).join('') + asked.tally + '\n', words.out, `${name} --implied`);
}

// A seeded generator, so that a failure can be asked again.
function generator(seed) {
  let state = seed >>> 0;
  return (n) => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return (((t ^ (t >>> 14)) >>> 0) % n);
  };
}

// Random queries over five variables: set statements in the compact form
// (names: the long form), no statement asked twice, now and then a
// comment or a blank line.
function randomQueries(count, seed, names) {
  const random = generator(seed);
  const lines = names ? [`variables: ${names.join(' ')}`] : [];
  const written = (set) => set.map((e) => (names ? names[e] : String(e))).join(names ? ', ' : '');
  for (let q = 0; q < count; q += 1) {
    if (random(10) === 0) lines.push(random(2) ? '' : '# a comment');
    const seen = new Set();
    const statements = [];
    for (let s = 1 + random(4); s > 0; s -= 1) {
      const a = [], b = [], c = [];
      for (let e = 0; e < 5; e += 1) [a, b, c, [], []][random(5)].push(e);
      if (a.length === 0 || b.length === 0) continue;
      const key = [written(a), written(b)].sort().join('/') + '|' + written(c);
      if (seen.has(key)) continue;
      seen.add(key);
      const sign = random(3) === 0 ? '-' : '+';
      statements.push(names ? `${sign}${written(a)} _||_ ${written(b)}${c.length ? ' | ' + written(c) : ''}`
                            : `${sign}${written(a)},${written(b)}${c.length ? '|' + written(c) : ''}`);
    }
    if (statements.length > 0) lines.push(statements.join(' '));
  }
  return lines.join('\n') + '\n';
}

const loaded = module.load('/no/such/types.txt');
if (!loaded.includes('/no/such/types.txt')) {
  failures += 1;
  console.error(`FAIL a missing types file is not named: ${JSON.stringify(loaded)}`);
}
module.FS.writeFile('/extreme-rays-types.txt', fs.readFileSync(path.join(webDir, 'extreme-rays-types.txt')));
expectEqual(module.load('/extreme-rays-types.txt'), '', 'loading the shipped types');

compareAnswers('example-queries.txt', fs.readFileSync(path.join(dataDir, 'example-queries.txt'), 'utf8'));
compareAnswers('random.txt', randomQueries(10000, 20261209));
compareAnswers('named.txt', randomQueries(1000, 17, ['smoke', 'tar', 'cancer', 'genes', 'age']));

// Malformed queries: the same messages (imset-query's closing "no query
// answered" aside) and status.
const malformed = [
  '+0,1 -0,2\n+0,1 -1,0\n\uFEFFx\n',
  '\uFEFF+0,5 -0,0 +0,1|11 +0,1|1\n+0,1|2,3\n\u22120,1\n',
  'variables: smoke tar cancer\n+smoke _||_ cancr\n+smok _||_ tar\nvariables: a b a\n',
  '+0,1 \uFF0C2\n+0,1|2\r-0,1\u0000\n+0,1 -0,1 +1,2|0 -2,1|0\n',
  '+12,9|3 -0,1\n+0,1|2 -0,x\n+ 0,1\n-0,1|\n+0|1\n',
  '# nothing\n\n',
  '+0,1 ' + '+0,2 '.repeat(14000) + '\n',
];
for (const [i, text] of malformed.entries()) {
  const name = `bad-${i}.txt`;
  const asked = ask(name, text);
  const expected = native(name, text, ['--json']);
  expectEqual(asked.errors.join('\n'), expected.said.filter((s) => s !== 'no query answered').join('\n'),
              `${name} messages`);
  expectEqual(String(asked.status), String(expected.status), `${name} status`);
}

// What the page cannot answer comes back as a message; the module goes on.
const beyond = ask('query', '+0,1|5 -0,1\n');
if (beyond.status !== 2 || !/^query line 1: .*imset-query and the Python module/.test(beyond.errors[0] ?? '')) {
  failures += 1;
  console.error(`FAIL six variables: ${JSON.stringify(beyond)}`);
}
const options = JSON.parse(module.ask('+0,1', 'not json'));
if (options.status !== 2 || JSON.parse(module.ask('+0,1', '{"source":"a/b"}')).status !== 2) {
  failures += 1;
  console.error('FAIL bad options were accepted');
}
expectEqual(ask('query', '+0,1|2 -0,1').answers.length.toString(), '1', 'an answer after the refusals');
// A page that lays out the first answers of a batch asks the others' text away.
const few = JSON.parse(module.ask('+0,1|2 -0,1\n+0,1 -0,1|2\n', '{"texts":1}'));
expectEqual(few.answers.map((a) => (a.text === '' ? '' : a.text.split('\n')[0])).join('/'), 'query:1: +0,1|2 -0,1/',
            'texts for the first answer only');

fs.rmSync(work, { recursive: true, force: true });
if (failures > 0) {
  console.error(`${failures} failures`);
  process.exit(1);
}
console.log('the module answers as imset-query does');
