// SPDX-License-Identifier: MIT
// The page's service worker: keeps one whole build, so that the game starts at once when the server is
// gone, slow or damaged, and lets a new build in as soon as the server has one whole.
//
// The page (zelmo.html) names the build's files, each named by its content (zelmo.<digest>.js: the
// first 16 hex digits of its SHA-256). The worker keeps the page and the files it names, each checked
// against the digest in its name; a kept file is never out of date, so it is answered at once. Only the
// page is asked of the server on each load: the server's page is taken when its build arrives whole
// (and is kept from then on), else the kept page, at once when the server has not answered within
// PATIENCE. A site's caches are shared by all its folders: the cache's name holds the folder, so that
// a copy of the game in another folder keeps its own.
var SCOPE = self.registration.scope;
var PAGE = new URL('zelmo.html', SCOPE).href;
var CACHE = 'zelmo ' + SCOPE;
var PATIENCE = 500;  // ms the server has to answer before the kept copy does
var BUILD_PATIENCE = 5000;  // ms an answering server has for a new build's files
var NAMED = /zelmo(-[0-9]+)?\.[0-9a-f]{16}\.(js|wasm|webmanifest|png)/g;
var NAME = new RegExp('^' + NAMED.source + '$');

// The content-named files a page names.
function namedIn(page) {
  var names = [];
  (page.match(NAMED) || []).forEach(function(name) { if (names.indexOf(name) < 0) names.push(name); });
  return names;
}

function hex(buffer) {
  return Array.prototype.map.call(new Uint8Array(buffer), function(b) { return (b < 16 ? '0' : '') + b.toString(16); }).join('');
}

// The server's answer for a content-named file, and whether it is the file its name says. A copy the
// browser's cache holds is taken first (such a file never changes); if it is not whole, the server is
// asked again.
function fetchNamed(name) {
  var digest = name.split('.')[1];
  var attempt = function(mode) {
    return fetch(new URL(name, SCOPE).href, {cache: mode, credentials: 'same-origin'}).then(function(response) {
      return response.arrayBuffer().then(function(bytes) {
        return crypto.subtle.digest('SHA-256', bytes).then(function(sum) {
          var type = response.headers.get('Content-Type');
          return {whole: response.ok && hex(sum).indexOf(digest) === 0,
                  response: new Response(bytes, {status: response.status, statusText: response.statusText,
                                                 headers: type ? {'Content-Type': type} : {}})};
        });
      });
    });
  };
  return attempt('default').then(function(got) { return got.whole ? got : attempt('reload'); });
}

// Keeps the page and every file it names, each whole, the files first: the kept page always names
// files that are kept. Files no longer named are dropped. Rejects when a file does not come whole.
function keep(page) {
  var names = namedIn(page);
  return caches.open(CACHE).then(function(cache) {
    return Promise.all(names.map(function(name) {
      var key = new URL(name, SCOPE).href;
      return cache.match(key).then(function(kept) {
        if (kept) return;
        return fetchNamed(name).then(function(got) {
          if (!got.whole) throw new Error(name + ' did not arrive whole');
          return cache.put(key, got.response);
        });
      });
    })).then(function() {
      return cache.put(PAGE, new Response(page, {headers: {'Content-Type': 'text/html; charset=utf-8'}}));
    }).then(function() { return cache.keys(); }).then(function(keys) {
      return Promise.all(keys.filter(function(request) {
        return request.url !== PAGE && names.indexOf(request.url.substring(SCOPE.length)) < 0;
      }).map(function(request) { return cache.delete(request); }));
    });
  });
}

// The server's page, past the browser's cache (a cheap 304 when unchanged), and whether its build is
// whole and kept; answered() is called when the server has answered, before the build arrives.
function pageFromServer(answered) {
  return fetch(PAGE, {cache: 'no-cache', credentials: 'same-origin'}).then(function(response) {
    if (answered) answered();
    if (!response.ok) return {whole: false, response: response};
    return response.text().then(function(page) {
      var answer = function(whole) {
        return {whole: whole, response: new Response(page, {headers: {'Content-Type': response.headers.get('Content-Type') || 'text/html'}})};
      };
      return keep(page).then(function() { return answer(true); }, function() { return answer(false); });
    });
  });
}

self.addEventListener('install', function(event) {
  event.waitUntil(pageFromServer().then(function(got) {
    if (!got.whole) throw new Error('the server\'s build did not arrive whole');
    return self.skipWaiting();
  }));
});

self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys().then(function(names) {
    // 'zelmo' and 'zelmo FOLDER BUILD' were the names before the files were named by their content.
    return Promise.all(names.filter(function(name) { return name === 'zelmo' || name.indexOf(CACHE + ' ') === 0; })
                            .map(function(name) { return caches.delete(name); }));
  }).then(function() { return self.clients.claim(); }));
});

// The page: the server's when its build is whole (or when it says the page is not there: 4xx); else
// the kept one, at once when the server has not answered within PATIENCE, or has answered but its new
// build takes longer than BUILD_PATIENCE. The server's build goes on arriving after the answer, and is
// kept for the next load.
function answerPage(event) {
  var answered = false, onAnswer = null;
  var server = pageFromServer(function() {
    answered = true;
    if (onAnswer) onAnswer();
  });
  event.waitUntil(server.catch(function() {}));
  return caches.open(CACHE).then(function(cache) { return cache.match(PAGE); }).then(function(kept) {
    if (!kept) return server.then(function(got) { return got.response; });
    return new Promise(function(resolve) {
      var timer = setTimeout(function() { resolve(kept); }, PATIENCE);
      onAnswer = function() {
        clearTimeout(timer);
        timer = setTimeout(function() { resolve(kept); }, BUILD_PATIENCE);
      };
      if (answered) onAnswer();
      server.then(function(got) {
        var status = got.response.status;
        resolve(got.whole || (status >= 400 && status < 500) ? got.response : kept);
      }, function() { resolve(kept); }).then(function() { clearTimeout(timer); });
    });
  });
}

// A content-named file: the kept copy, else the server's (as it came, whole or not: the page tells a
// damaged file by its integrity).
function answerNamed(key, name) {
  return caches.open(CACHE).then(function(cache) { return cache.match(key); }).then(function(kept) {
    return kept || fetchNamed(name).then(function(got) { return got.response; });
  });
}

// Only the page (by its name, or the folder's address) and the files beside the worker; a query
// (zelmo.html?testclock=...) is not part of the name.
self.addEventListener('fetch', function(event) {
  var url = new URL(event.request.url);
  var key = url.origin + url.pathname;
  var name = key.substring(SCOPE.length);
  if (event.request.method !== 'GET' || key.indexOf(SCOPE) !== 0) return;
  if (name === '' || name === 'zelmo.html') {
    event.respondWith(answerPage(event));
  } else if (NAME.test(name)) {
    event.respondWith(answerNamed(key, name));
  }
});
