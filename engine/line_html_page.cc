// The fixed parts of the HTML page of a listing. The script reads the entries' lines once,
// keeps the outline in typed arrays and draws only the lines in sight, so that a page of a
// million entries opens in seconds and answers a click at once.
#include "line_html.h"

namespace ramilux {

const std::string_view kHtmlPageStyle = R"html(<style>
html,body{height:100%;margin:0}
body{display:flex;flex-direction:column;font:14px system-ui,sans-serif;color:#111;background:#fff}
header{flex:none;padding:6px 10px;border-bottom:1px solid #ccc;background:#f4f4f4}
#h{font-weight:bold;white-space:pre;overflow:hidden;text-overflow:ellipsis}
#t{margin-top:4px}
#q{width:22em}
#n{margin-left:8px;color:#555}
#v{flex:1;overflow:auto;position:relative}
#s{width:1px}
#r{position:absolute;left:0;top:0;min-width:100%;overflow:hidden}
#r div{height:18px;white-space:pre;padding:0 10px 0 4px;
font:13px/18px "DejaVu Sans Mono",Consolas,"Courier New",monospace}
#r div:hover{background:#eef3ff}
#r .g{display:inline-block;width:2ch;color:#777}
#r .x .g::before{content:"\25B8"}
#r .o .g::before{content:"\25BE"}
#r .x,#r .o{cursor:pointer}
#r .d{color:#0645ad}
#r .c{color:#555}
#r .u{color:#b00}
mark{background:#ffe46b;color:inherit}
</style>
)html";

const std::string_view kHtmlPageTools = R"html(</div>
<div id="t"><input id="q" type="search" placeholder="Rechercher un nom" aria-label="Rechercher un nom" autocomplete="off">
<button id="o" type="button">Tout ouvrir</button> <button id="c" type="button">Tout fermer</button>
<span id="n"></span></div>
<noscript>Cette page montre l'arborescence avec JavaScript.</noscript>
)html";

const std::string_view kHtmlPageScript = R"html(<script>
(function () {
  "use strict";
  var source = document.getElementById("d"), data = source.textContent;
  source.remove();
  var view = document.getElementById("v"), spacer = document.getElementById("s"),
    rows = document.getElementById("r"), field = document.getElementById("q"),
    count = document.getElementById("n");
  var kRow = 18, kMaxHeight = 3e7;

  // A line: its depth, "d" for a folder or "f", the name, then a tab and the columns,
  // then a tab and the unread mark.
  var n = 0, at, k;
  for (at = data.indexOf("\n"); at >= 0; at = data.indexOf("\n", at + 1)) ++n;
  var start = new Int32Array(n + 1), nameAt = new Int32Array(n), depth = new Int32Array(n),
    parent = new Int32Array(n), end = new Int32Array(n), folder = new Uint8Array(n);
  var stack = [], deepest = 0, pos = 0;
  for (k = 0; k < n; ++k) {
    start[k] = pos;
    var d = 0, c = data.charCodeAt(pos);
    for (; c >= 48 && c <= 57; c = data.charCodeAt(++pos)) d = d * 10 + c - 48;
    depth[k] = d;
    folder[k] = c === 100 ? 1 : 0;
    nameAt[k] = pos + 1;
    while (stack.length > d) end[stack.pop()] = k;
    parent[k] = stack.length ? stack[stack.length - 1] : -1;
    stack.push(k);
    if (d > deepest) deepest = d;
    pos = data.indexOf("\n", pos) + 1;
  }
  start[n] = pos;
  while (stack.length) end[stack.pop()] = n;

  function nameEnd(k) {
    var stop = start[k + 1] - 1, i = nameAt[k];
    while (i < stop && data.charCodeAt(i) !== 9) ++i;
    return i;
  }
  // Whether each line is the last of its folder among the lines `among` keeps (null: all),
  // which decides its own connector and the bars of the lines below it.
  function lastFlags(among) {
    var last = new Uint8Array(n), seen = new Uint8Array(deepest + 2), top = 0;
    for (var k = n - 1; k >= 0; --k) {
      if (among && !among[k]) continue;
      var d = depth[k];
      while (top > d) seen[top--] = 0;
      last[k] = seen[d] ? 0 : 1;
      seen[d] = 1;
      top = d;
    }
    return last;
  }

  // Whether each line has lines below it among those `among` keeps (null: all).
  function branchFlags(among) {
    var branch = new Uint8Array(n);
    for (var k = 0; k < n; ++k) {
      if ((!among || among[k]) && parent[k] >= 0) branch[parent[k]] = 1;
    }
    return branch;
  }

  var allLast = lastFlags(null), last = allLast, treeClosed = new Uint8Array(n),
    closed = treeClosed, among = null, found = null, query = "", lower = null;
  var allBranches = branchFlags(null), branches = allBranches;
  var shown = new Int32Array(n), shownCount = 0;

  function prefix(k) {
    var text = last[k] ? "\u2514\u2500 " : "\u251C\u2500 ";
    for (var a = parent[k]; a >= 0; a = parent[a]) text = (last[a] ? "   " : "\u2502  ") + text;
    return text;
  }
  function span(row, kind, text) {
    var s = document.createElement("span");
    s.className = kind;
    s.textContent = text;
    return row.appendChild(s);
  }
  function appendName(row, k, name) {
    var s = span(row, folder[k] ? "d" : "f", ""), low = name.toLowerCase(), from = 0;
    if (found && found[k] && low.length === name.length) {
      for (var at = low.indexOf(query); at >= 0; at = low.indexOf(query, from)) {
        s.appendChild(document.createTextNode(name.substring(from, at)));
        from = at + query.length;
        s.appendChild(document.createElement("mark")).textContent = name.substring(at, from);
      }
    }
    s.appendChild(document.createTextNode(name.substring(from)));
  }
  function makeRow(k) {
    var row = document.createElement("div");
    var parts = data.substring(nameAt[k], start[k + 1] - 1).split("\t");
    row.dataset.i = k;
    if (branches[k]) row.className = closed[k] ? "x" : "o";
    span(row, "g", "");
    row.appendChild(document.createTextNode(prefix(k)));
    appendName(row, k, parts[0]);
    if (parts[1]) span(row, "c", parts[1]);
    if (parts[2]) span(row, "u", parts[2]);
    return row;
  }
  // Only the lines in sight are made; past the height a browser can scroll, the scroll
  // bar stands for the share of the lines above.
  function draw() {
    var total = shownCount * kRow, height = Math.min(total, kMaxHeight);
    var sight = view.clientHeight, top = view.scrollTop, first;
    if (total <= kMaxHeight) {
      first = Math.floor(top / kRow);
      top = first * kRow;
    } else {
      first = Math.floor(top / Math.max(1, height - sight) *
        Math.max(0, shownCount - Math.floor(sight / kRow)));
    }
    var part = document.createDocumentFragment(), stop = first + Math.ceil(sight / kRow) + 1;
    for (var i = first; i < shownCount && i < stop; ++i) part.appendChild(makeRow(shown[i]));
    rows.style.top = top + "px";
    rows.style.height = Math.max(0, Math.min(sight + kRow, height - top)) + "px";
    rows.replaceChildren(part);
  }
  function layout() {
    var m = 0;
    for (var k = 0; k < n;) {
      if (among && !among[k]) {
        k = end[k];
        continue;
      }
      shown[m++] = k;
      k = closed[k] ? end[k] : k + 1;
    }
    shownCount = m;
    spacer.style.height = Math.min(m * kRow, kMaxHeight) + "px";
    draw();
  }

  // The lines whose name holds `q` (in lower case), found in one pass over the text.
  function find(q) {
    if (lower === null) lower = data.toLowerCase();
    var hits = new Uint8Array(n), total = 0, k = 0;
    if (lower.length !== data.length) {
      for (k = 0; k < n; ++k) {
        if (data.substring(nameAt[k], nameEnd(k)).toLowerCase().indexOf(q) >= 0) {
          hits[k] = 1;
          ++total;
        }
      }
      return { hits: hits, total: total };
    }
    for (var at = lower.indexOf(q); at >= 0;) {
      while (start[k + 1] <= at) ++k;
      if (at < nameAt[k]) {
        at = lower.indexOf(q, nameAt[k]);
        continue;
      }
      if (at + q.length <= nameEnd(k)) {
        hits[k] = 1;
        ++total;
      }
      at = lower.indexOf(q, start[k + 1]);
    }
    return { hits: hits, total: total };
  }
  function search() {
    var q = field.value.toLowerCase();
    if (q === query) return;
    query = q;
    if (!q) {
      among = found = null;
      last = allLast;
      branches = allBranches;
      closed = treeClosed;
      count.textContent = "";
    } else {
      var result = find(q);
      found = result.hits;
      among = new Uint8Array(found);
      for (var k = 0; k < n; ++k) {
        if (!found[k]) continue;
        for (var a = parent[k]; a >= 0 && !among[a]; a = parent[a]) among[a] = 1;
      }
      last = lastFlags(among);
      branches = branchFlags(among);
      closed = new Uint8Array(n);
      count.textContent = result.total + (result.total > 1 ? " lignes trouv\u00e9es" :
        " ligne trouv\u00e9e");
    }
    view.scrollTop = 0;
    layout();
  }

  rows.addEventListener("click", function (event) {
    var row = event.target.closest("#r > div"), k = row ? +row.dataset.i : -1;
    if (k < 0 || !branches[k]) return;
    closed[k] ^= 1;
    layout();
  });
  document.getElementById("o").addEventListener("click", function () {
    closed.fill(0);
    layout();
  });
  document.getElementById("c").addEventListener("click", function () {
    closed.set(branches);
    view.scrollTop = 0;
    layout();
  });
  var timer = 0;
  field.addEventListener("input", function () {
    clearTimeout(timer);
    timer = setTimeout(search, n > 100000 ? 250 : 50);
  });
  view.addEventListener("scroll", draw, { passive: true });
  window.addEventListener("resize", draw);
  layout();
  // For whoever measures how soon the outline shows.
  performance.mark("outline-shown");
})();
</script>
)html";

}  // namespace ramilux
