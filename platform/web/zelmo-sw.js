// SPDX-License-Identifier: MIT
// The page's service worker: keeps one build's files, so that the game starts, and starts again,
// when the server is gone or does not answer, and lets a new build in as soon as the server has one.
//
// The build (make_site.cmake) writes its version and a digest of its files into BUILD: a new build is
// a new worker, which keeps its own files under its own name and drops the older builds' copies. A
// site's caches are shared by all its folders: the name holds the folder, so that a copy of the game
// in another folder keeps its own.
var BUILD = '@ZELMO_BUILD@';
var FOLDER = 'zelmo ' + self.registration.scope + ' ';
var CACHE = FOLDER + BUILD;
var FILES = ['zelmo.html', 'zelmo.js', 'zelmo.wasm', 'zelmo.webmanifest', 'zelmo-32.png'];
var PATIENCE = 3000;  // ms the server has to answer before the kept copy does

// Past the browser's HTTP cache, which may hold an older build for as long as a server let it: the
// server is asked whether its file changed (a cheap 304 when not).
function fromServer(url) { return fetch(url, {cache: 'no-cache', credentials: 'same-origin'}); }

self.addEventListener('install', function(event) {
  event.waitUntil(caches.open(CACHE).then(function(cache) {
    return Promise.all(FILES.map(function(name) {
      return fromServer(name).then(function(response) {
        if (!response.ok) throw new Error(name + ': the server answered ' + response.status);
        return cache.put(name, response);
      });
    }));
  }).then(function() { return self.skipWaiting(); }));
});

self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys().then(function(names) {
    // 'zelmo' was the name before builds named theirs.
    return Promise.all(names.filter(function(name) { return name !== CACHE && (name.indexOf(FOLDER) === 0 || name === 'zelmo'); })
                            .map(function(name) { return caches.delete(name); }));
  }).then(function() { return self.clients.claim(); }));
});

// Pages that started from the kept copy take all their files from it, at once: one build, whole.
var keptPages = {};

// The server's answer when it comes within PATIENCE; the kept copy when it does not, when the
// server cannot be reached or fails (5xx); and the server's answer after all when nothing is kept.
function answer(event, key) {
  var kept = caches.open(CACHE).then(function(cache) { return cache.match(key); });
  if (keptPages[event.clientId]) {
    return kept.then(function(copy) { return copy || fromServer(event.request.url); });
  }
  var network = fromServer(event.request.url).then(function(response) {
    if (response.status >= 500) throw response;
    return response;
  });
  return new Promise(function(resolve, reject) {
    var settled = false;
    var settle = function(outcome, ok) {
      if (settled) return;
      settled = true;
      clearTimeout(timer);
      (ok ? resolve : reject)(outcome);
    };
    var fromKept = function(otherwise) {
      kept.then(function(copy) {
        if (copy) {
          if (event.resultingClientId) keptPages[event.resultingClientId] = true;
          settle(copy, true);
        } else if (otherwise) {
          otherwise();
        }
      });
    };
    var timer = setTimeout(function() { fromKept(null); }, PATIENCE);
    network.then(function(response) { settle(response, true); }, function(failure) {
      fromKept(function() { failure instanceof Response ? settle(failure, true) : settle(failure, false); });
    });
  });
}

// Only the page's own files (those beside the worker), kept under their address without its query
// (zelmo.html?testclock=...).
var KEYS = FILES.map(function(name) { return new URL(name, location.href).href; });

self.addEventListener('fetch', function(event) {
  var url = new URL(event.request.url);
  var key = url.origin + url.pathname;
  if (event.request.method === 'GET' && KEYS.indexOf(key) >= 0) event.respondWith(answer(event, key));
});
