// SPDX-License-Identifier: MIT
// The page's service worker: keeps the page's files, so that the game starts, and starts again,
// when the server is gone.
var CACHE = 'zelmo';
var FILES = ['zelmo.html', 'zelmo.js', 'zelmo.wasm', 'zelmo.webmanifest', 'zelmo-32.png'];

self.addEventListener('install', function(event) {
  event.waitUntil(caches.open(CACHE).then(function(cache) { return cache.addAll(FILES); })
      .then(function() { return self.skipWaiting(); }));
});

self.addEventListener('activate', function(event) { event.waitUntil(self.clients.claim()); });

// The server's copy while it answers, so that a new build shows at once, and a copy of it kept;
// the kept copy when the server does not answer. Kept under the address without its query
// (zelmo.html?testclock=...).
self.addEventListener('fetch', function(event) {
  var url = new URL(event.request.url);
  var name = url.pathname.substring(url.pathname.lastIndexOf('/') + 1);
  if (event.request.method !== 'GET' || url.origin !== location.origin || FILES.indexOf(name) < 0) return;
  var key = url.origin + url.pathname;
  event.respondWith(fetch(event.request).then(function(response) {
    if (response.ok) {
      var copy = response.clone();
      event.waitUntil(caches.open(CACHE).then(function(cache) { return cache.put(key, copy); }));
    }
    return response;
  }).catch(function(error) {
    return caches.match(key).then(function(kept) { return kept || Promise.reject(error); });
  }));
});
