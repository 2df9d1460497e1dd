// SPDX-License-Identifier: Apache-2.0
'use strict';
// Served over https or from localhost, the page works offline. The build fills in the cache's
// name (the version and a digest of the site's files) and the list of the page's files. A new
// version is kept only once every one of its files came whole (200); until then, and offline,
// the last good version answers. Each request goes to the network first; an error answer
// (a 404, a server's error page) is never kept and gives way to the kept copy.
const CACHE = '@CACHE_NAME@';
const FILES = [@FILE_LIST@];
const KEPT_PREFIX = 'vireotool-4-web-';

function whole(response) {
  return response && response.status === 200 && response.type === 'basic';
}

// The version's own cache fills up file by file (each body read as it comes: a browser keeps
// few connections to one host); the running version keeps its cache meanwhile, and a version
// with a missing file leaves nothing behind and never activates.
async function install() {
  const cache = await caches.open(CACHE);
  try {
    await Promise.all(FILES.map(async (file) => {
      const response = await fetch(new Request(file, { cache: 'reload' }));
      if (!whole(response)) throw new Error(file + ': ' + response.status);
      await cache.put(file, response);
    }));
  } catch (error) {
    await caches.delete(CACHE);
    throw error;
  }
  await self.skipWaiting();
}

self.addEventListener('install', (event) => event.waitUntil(install()));

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith(KEPT_PREFIX) && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

async function answer(request) {
  const kept = () => caches.match(request, { cacheName: CACHE, ignoreSearch: true });
  let response;
  try {
    response = await fetch(request);
  } catch (error) {
    return (await kept()) || Response.error();
  }
  if (whole(response)) return response;
  return (await kept()) || response;
}

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) return;
  event.respondWith(answer(event.request));
});
