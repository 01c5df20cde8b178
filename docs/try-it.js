// Gives every script example of the manual (<pre class="script">) a link that opens the
// playground beside the manual with that example loaded. Loaded with defer: the page is parsed.
(function () {
  var english = document.documentElement.lang === 'en';
  var page = english ? 'playground.en.html' : 'playground.html';
  var label = english ? 'Try it in the playground' : 'プレイグラウンドで試す';
  document.querySelectorAll('pre.script').forEach(function (pre) {
    var paragraph = document.createElement('p');
    var link = document.createElement('a');
    paragraph.className = 'try-it';
    link.href = page + '#script=' + encodeURIComponent(pre.textContent);
    link.textContent = label;
    paragraph.appendChild(link);
    pre.parentNode.insertBefore(paragraph, pre.nextSibling);
  });
})();
