// Loads the module and the ray types off the page's thread (building the
// index takes a noticeable moment), then answers the box's text. Asks
// that arrive before it is ready wait for it, in order.
'use strict';

importScripts('imset_web.js');

const started = performance.now();
const ready = (async () => {
  // Both downloads at once: the module's compilation and the types' transfer overlap.
  const types = fetch('extreme-rays-types.txt').then((response) => {
    if (!response.ok) throw new Error('extreme-rays-types.txt: HTTP ' + response.status);
    return response.arrayBuffer();
  });
  const module = await createImsetModule();
  module.FS.writeFile('/extreme-rays-types.txt', new Uint8Array(await types));
  const message = module.load('/extreme-rays-types.txt');
  if (message) throw new Error(message);
  return module;
})();

ready.then(
  () => postMessage({ type: 'ready', ms: performance.now() - started }),
  (error) => postMessage({ type: 'failed', message: String((error && error.message) || error) })
);

onmessage = (event) => {
  const { id, text, texts } = event.data;
  ready.then(
    (module) => {
      const start = performance.now();
      const result = module.ask(text, JSON.stringify({ source: 'query', texts }));
      postMessage({ type: 'answer', id, result, ms: performance.now() - start });
    },
    () => postMessage({ type: 'answer', id, result: null, ms: 0 })
  );
};
