// The service worker: keeps one build's files, so that the game plays with no network after one visit,
// and lets a newer build take over once it is published.
//
// Every file of a build but the page, this worker, the manifest and the icon carries a hash of its
// content in its name, and the page names the ones it loads. So a cache holds one build's files and no
// other: the page from the network (when there is one) always names files that match it, and with no
// network the cached page names the cached files. The page puts what it fetched into its build's cache
// itself (the catalog of the player's language among it), so the worker fetches only what is missing. A new build has a new worker (its list differs),
// which takes over at once and drops the older builds' caches.
const VERSION = /*calcadia:version*/'';
// Each file of the build, with the name of its gzip copy when it has one.
const FILES = /*calcadia:files*/[];
const CACHE = 'calcadia-' + VERSION;
const PAGE = 'index.html';
// The page fetches the gzip copy where the browser can unpack it, and so the worker keeps that one.
const kept = ([file, packed]) => (packed && typeof DecompressionStream === 'function' ? packed : file);

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    for (const file of FILES.map(kept))
      if (!(await cache.match(file)))
        await cache.add(file);
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys())
      if (name.startsWith('calcadia-') && name !== CACHE)
        await caches.delete(name);
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
    return;
  if (request.mode === 'navigate') {
    // The page from the network while there is one, so a new build is seen at once; else the cached one.
    event.respondWith(fetch(request).catch(async () =>
      (await caches.open(CACHE)).match(PAGE).then((page) => page || Response.error())));
    return;
  }
  event.respondWith(caches.open(CACHE).then((cache) => cache.match(request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(request)));
});
