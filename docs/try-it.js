// Gives every script example of the manual (<pre class="script">) that has a function to run a
// link that opens the playground beside the manual with that example loaded; a list of defines
// alone has nothing to try. An example that quotes an example file (data-file) opens that whole
// file, so that it runs as the file does; one that is an edit of its lines N-M (data-lines="N-M")
// opens the file with those lines replaced by it, so that line numbers are the file's. Loaded with
// defer: the page is parsed.
(function () {
  var english = document.documentElement.lang === 'en';
  var page = english ? 'playground.en.html' : 'playground.html';
  var label = english ? 'Try it in the playground' : 'プレイグラウンドで試す';
  document.querySelectorAll('pre.script').forEach(function (pre) {
    if (!/^func\b/m.test(pre.textContent)) return;
    var paragraph = document.createElement('p');
    var link = document.createElement('a');
    var file = pre.getAttribute('data-file'), lines = pre.getAttribute('data-lines');
    paragraph.className = 'try-it';
    link.href = page + '#' + (file ? 'file=' + file + '&' : '') + (lines ? 'lines=' + lines + '&' : '') +
      'script=' + encodeURIComponent(pre.textContent);
    link.textContent = label;
    paragraph.appendChild(link);
    pre.parentNode.insertBefore(paragraph, pre.nextSibling);
  });
})();
