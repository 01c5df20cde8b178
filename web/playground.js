// The playground page: a script editor, the handheld's panel and keyboard, and every effect of
// every input. The work is done by quillo-sim's own session compiled to WebAssembly
// (quillo-playground.js, web/playground_api.cpp); this file turns key events into quillo-sim
// input lines and draws the records, trace and state that the session answers.
'use strict';
(function () {
  const lang = document.documentElement.lang === 'en' ? 'en' : 'ja';
  const T = {
    ja: {
      passed: '通過', swallowed: '破棄', notice: '通知', run: 'プログラム起動:', rotate: '画面の向き:',
      turn: '90° 回転', window: 'ウィンドウ操作', paren: text => `（${text}）`,
      unmappable: lost => `コードページ 932 にない文字 ${lost.length} 個（${distinct(lost)}）を ? にしました。`,
      saveLost: lost => `コードページ 932 にない文字があります: ${distinct(lost)}\n保存するファイルでは ? になります。このまま保存しますか？`,
      prelude: 'サンプルの define 部分を前に付けました（定義されていない名前を使っているため）。',
      replaced: (name, first, last) => `${name} の ${first} 行目から ${last} 行目を、マニュアルの例に置き換えました。`,
      fromFile: n => `ファイル ${n} をそのままのバイトでコンパイルしています（コードページ 932）。`,
      typed: '入力した文字をコードページ 932 に変換してコンパイルしています。',
      actions: {A: '前面のウィンドウを閉じる', B: '次のアプリケーションを前面へ', C: 'IME の開閉', D: 'IME の状態を読む'},
      held: '押されたままのキー', mode: 'モード', keyTable: '関数テーブル', ime: ['IME 閉', 'IME 開'], ms: 'ms（前回の入力）',
    },
    en: {
      passed: 'passed', swallowed: 'swallowed', notice: 'notice', run: 'Run program:', rotate: 'Screen orientation:',
      turn: 'one quarter further', window: 'Window action', paren: text => ` (${text})`,
      unmappable: lost => `${lost.length} ${lost.length === 1 ? 'character' : 'characters'} that code page 932 lacks became ?: ${distinct(lost)}`,
      saveLost: lost => (one => `Code page 932 lacks ${one ? 'this character' : 'these characters'}: ${distinct(lost)}\n` +
        `The saved file will have ? in ${one ? 'its' : 'their'} place. Save anyway?`)(new Set(lost).size === 1),
      prelude: "The sample's define lines were put in front (the script uses names it does not define).",
      replaced: (name, first, last) => `Lines ${first}-${last} of ${name} are the manual's example.`,
      fromFile: n => `Compiling the file ${n} with its own bytes (code page 932).`,
      typed: 'Compiling the typed text converted to code page 932.',
      actions: {A: 'close the foreground window', B: 'bring the next application forward', C: 'open or close the IME', D: "read the IME's state"},
      held: 'Held down', mode: 'Mode', keyTable: 'function table', ime: ['IME closed', 'IME open'], ms: 'ms (last input)',
    },
  }[lang];
  function distinct(characters) { return [...new Set(characters)].join(' '); }
  const $ = id => document.getElementById(id);
  const hex2 = n => '0x' + n.toString(16).toUpperCase().padStart(2, '0');
  const DIR = '/session/';
  const SAMPLE = '/examples/scriptcommand.txt';
  const STATUS_TEMPLATE = ['', '', '', '', '', '詳細はマニュアルを参照してください。'];
  const MAX_CAPS = 300;     // older key caps scroll away
  const SHOWN_INPUTS = 200;  // inputs the record views keep on screen (long views slow every key down)
  const EDIT_PAUSE = 600;    // ms without typing before the editor's text is compiled

  // The handheld's 46 keys (the ones its scan table knows), row by row: [virtual key, label].
  const keys = s => [...s].map(c => [c.charCodeAt(0), c]);
  const KEYBOARD = [
    [...keys('1234567890'), [0xBD, '-']],
    [[0x09, 'Tab'], ...keys('QWERTYUIOP'), [0xC0, '@']],
    [[0x14, 'Caps'], ...keys('ASDFGHJKL'), [0x08, 'BS']],
    [[0x11, 'Ctrl'], ...keys('ZXCVBNM'), [0xBC, ','], [0xBE, '.'], [0xBF, '/']],
    [[0x20, 'Space']],
  ];
  // keyCode is the Windows virtual key in browsers, except Firefox's ; = - and Meta.
  const KEYCODE_FIXES = {59: 0xBA, 61: 0xBB, 173: 0xBD, 224: 0x5B};
  // Characters of the Japanese layout as a text field types them: [plain, with shift].
  const CHARACTERS = {0x20: [' ', ' '], 0x0D: ['\n', '\n'], 0xBA: [':', '*'], 0xBB: [';', '+'], 0xBC: [',', '<'],
    0xBD: ['-', '='], 0xBE: ['.', '>'], 0xBF: ['/', '?'], 0xC0: ['@', '`'], 0xDB: ['[', '{'], 0xDD: [']', '}']};
  const SHIFTED_DIGITS = '0!"#$%&\'()';

  let M = null;            // the WebAssembly module
  let scriptName = 'scriptcommand.txt';
  let fileBytes = null;    // a file opened from disk, compiled as it is until the text is edited
  let prelude = '';
  let captured = null;     // standard output of a test run
  let editTimer = 0;       // an edit waiting to be compiled
  const saved = {records: '', testfile: ''};  // everything since the start, for saving
  const field = {text: '', caret: 0, shift: false, ctrl: false, alt: false};

  const api = (name, argument) => JSON.parse(M.ccall(name, 'string', ['string'], [argument]));

  // ---- the script ----
  // The file the session compiles, and a note saying how it was made; the characters code page
  // 932 lacks, one for each '?' in their place.
  function writeScript() {
    const path = DIR + scriptName;
    if (fileBytes) {
      M.FS.writeFile(path, fileBytes);
      $('encoding').textContent = T.fromFile(scriptName);
      return [];
    }
    M.FS.writeFile(DIR + 'editor.utf8', $('script').value.replace(/\r?\n/g, '\r\n'));
    const lost = [...M.ccall('PlaygroundEncodeScript', 'string', ['string', 'string'], [DIR + 'editor.utf8', path])];
    $('encoding').textContent = T.typed + (lost.length ? ' ' + T.unmappable(lost) : '');
    return lost;
  }

  function decodeScript(path) {
    M.ccall('PlaygroundDecodeScript', 'number', ['string', 'string'], [path, DIR + 'decoded.utf8']);
    return M.FS.readFile(DIR + 'decoded.utf8', {encoding: 'utf8'}).replace(/\r\n/g, '\n');
  }

  function setScript(text, bytes) {
    $('script').value = text;
    fileBytes = bytes;
    drawGutter();
  }

  // A fresh program, as when quillo.exe starts: panel, field and views are new.
  function start(note) {
    clearTimeout(editTimer);
    editTimer = 0;
    writeScript();
    const reply = api('PlaygroundStart', DIR + scriptName);
    for (const id of ['records', 'testfile', 'caps', 'log', 'notices']) $(id).textContent = '';
    for (const row of $('messages').querySelectorAll('tr.compile, tr.runtime')) row.remove();
    $('trace').textContent = 'trace: start\n';
    STATUS_TEMPLATE.forEach((text, n) => { $('status' + n).textContent = text; });
    Object.assign(field, {text: '', caret: 0, shift: false, ctrl: false, alt: false});
    Object.assign(saved, {records: '', testfile: ''});
    keep('testfile', `script ${scriptName}\n`);
    if (note) $('encoding').append(' ' + note);
    show(reply, []);
    return reply;
  }

  function loadFragment(text) {
    setScript(text, null);
    if (start().namesMissing) {
      setScript(prelude + text, null);
      start(T.prelude);
    }
  }

  function loadSample() {
    scriptName = 'scriptcommand.txt';
    setScript(decodeScript(SAMPLE), M.FS.readFile(SAMPLE));
    start();
  }

  // As the program's reload: registers stay, the start-up function runs again, and after an error
  // what compiled before it runs; the messages go to the list.
  function compileEdit() {
    clearTimeout(editTimer);
    editTimer = 0;
    writeScript();
    input('reload', []);
  }

  // A manual's example: alone, or the example file it quotes (with its lines `first`-`last` replaced
  // by the example when it is an edit of them), shown at the example's first function.
  function loadFromAddress() {
    const match = /^#(?:file=(examples\/[\w/-]+\.txt)&)?(?:lines=(\d+)-(\d+)&)?script=(.*)$/s.exec(location.hash);
    if (!match) return loadSample();
    const [, file, first, last] = match, example = decodeURIComponent(match[4]);
    if (!file || !M.FS.analyzePath('/' + file).exists) return loadFragment(example);
    scriptName = file.replace(/^.*\//, '');
    const lines = decodeScript('/' + file).split('\n');
    if (first) lines.splice(first - 1, last - first + 1, ...example.split('\n'));
    setScript(lines.join('\n'), first ? null : M.FS.readFile('/' + file));
    start(first ? T.replaced(scriptName, first, last) : '');
    const code = line => line.replace(/\s*#.*$/, '');
    const at = lines.map(code).indexOf(code(example.split('\n').find(line => /^func\b/.test(line))));
    if (at >= 0) selectLine(at + 1);
  }

  // ---- inputs ----
  // One quillo-sim input line; `fieldKeys` are the real key events a text field gets if they pass.
  function input(line, fieldKeys) {
    if (editTimer) compileEdit();  // never a key on a script the editor no longer shows
    const began = performance.now();
    const reply = api('PlaygroundInput', line);
    if (reply.error) {
      addMessage(line, reply.error, '');
      return;
    }
    // The trace of the last key from its key-down on (its key-up adds to it), or of the last other
    // input; each input headed as quillo-sim --trace heads it.
    if (!/^(sys)?up /.test(line)) $('trace').textContent = '';
    $('trace').append(`trace: ${line}\n`);
    show(reply, fieldKeys);
    void document.body.offsetHeight;  // the layout the next frame paints, done now so that it is timed
    $('elapsed').textContent = (performance.now() - began).toFixed(2) + ' ' + T.ms;
  }

  function keyLine(message, vk, time) {
    // The d-pad gives the arrow keys scan codes 0x3B-0x3E; every other key the scan table's.
    const scan = vk >= 0x25 && vk <= 0x28 ? ' scan=' + hex2(0x3B + vk - 0x25) : '';
    return `${message} ${hex2(vk)}${scan} time=${time >>> 0}`;
  }

  function realKey(event, up) {
    if (event.target !== $('keyarea')) return;
    const vk = event.keyCode === 229 ? 0 : KEYCODE_FIXES[event.keyCode] || event.keyCode;
    if (!vk || vk > 0xFF) return;  // the input method has the key (keyCode 229)
    event.preventDefault();
    // Windows sends the system-key messages for keys pressed with Alt, and for F10 and Alt.
    const system = event.altKey || vk === 0x12 || vk === 0x79;
    const message = (system ? 'sys' : '') + (up ? 'up' : 'down');
    input(keyLine(message, vk, Math.floor(event.timeStamp)), [[vk, up]]);
  }

  function buildKeyboard() {
    for (const row of KEYBOARD) {
      const line = document.createElement('div');
      for (const [vk, label] of row) {
        const key = document.createElement('button');
        key.textContent = label;
        key.dataset.vk = vk;
        key.title = hex2(vk);
        let repeat = null;
        const release = () => {
          if (!key.classList.contains('down') || key.classList.contains('latched')) return;
          clearTimeout(repeat);
          key.classList.remove('down');
          input(keyLine('up', vk, performance.now()), [[vk, true]]);
        };
        const press = () => {
          key.classList.add('down');
          input(keyLine('down', vk, performance.now()), [[vk, false]]);
        };
        key.tabIndex = -1;
        key.addEventListener('pointerdown', event => {
          event.preventDefault();  // the focus stays where real keys go
          if (event.button !== 0 || key.classList.contains('latched')) return;
          press();
          // Held: the keyboard repeats the key down, as the handheld's does.
          const again = delay => { repeat = setTimeout(() => { press(); again(100); }, delay); };
          again(500);
        });
        for (const name of ['pointerup', 'pointerleave', 'pointercancel']) key.addEventListener(name, release);
        // Right click latches a key down until the next right click, for chords with one pointer.
        key.addEventListener('contextmenu', event => {
          event.preventDefault();
          if (key.classList.toggle('latched')) press();
          else { key.classList.add('down'); release(); }
        });
        line.append(key);
      }
      $('keyboard').append(line);
    }
  }

  // ---- what the session answered ----
  function show(reply, fieldKeys) {
    if (reply.messages) showCompileMessages(reply.messages);
    keep('records', reply.json);
    reply.records.forEach((record, i) => {
      const key = fieldKeys[i];
      if (key && record.result === 'passed') typeKey(key[0], key[1]);
      for (const k of record.injected) {
        addCap(k, reply.keyNames[k.vk]);
        typeKey(k.vk, k.up);
      }
      for (const command of record.commands) showCommand(command, record.input, reply.state.state);
    });
    keep('testfile', reply.text);
    $('trace').append(reply.trace);
    showState(reply.state.state, reply.held);
    drawField();
  }

  function keep(id, text) {
    saved[id] += text;
    $(id).append(text);
    if ($(id).childNodes.length > SHOWN_INPUTS) $(id).firstChild.remove();
  }

  function showCompileMessages(messages) {
    for (const row of [...$('messages').querySelectorAll('tr.compile')]) row.remove();
    for (const m of messages) addMessage(m.line || '', m.text, m.note, 'compile', m.line);
  }

  function addMessage(where, text, note, kind, line) {
    const row = $('messages').insertRow();
    row.className = kind || 'runtime';
    for (const cell of [where, text, note]) row.insertCell().textContent = cell;
    if (line) row.addEventListener('click', () => selectLine(line));
  }

  function showCommand(command, inputLine, state) {
    const log = text => {
      $('log').append(text + '\n');
      if ($('log').childNodes.length > SHOWN_INPUTS) $('log').firstChild.remove();
    };
    switch (command.cmd) {
      case 'status':
        if (command.line >= 0 && command.line <= 5) $('status' + command.line).textContent = command.text;
        break;
      case 'notice':
        addNotice(command.text);
        addMessage(inputLine, command.text, '', 'runtime');
        break;
      case 'run': log(`${T.run} ${command.file} ${command.params}`); break;
      case 'rotate': log(`${T.rotate} ${command.value < 4 ? command.value * 90 + '°' : T.turn}${T.paren(command.value)}`); break;
      case 'window': {
        const letter = String.fromCharCode(command.value);
        const ime = 'CD'.includes(letter) ? ' → ' + T.ime[(state.sysflags >>> 16) & 1] : '';
        log(`${T.window} ${letter}: ${T.actions[letter] || ''}${ime}`);
        break;
      }
      default: log(JSON.stringify(command));
    }
  }

  // A message box as the device shows one: caption "quillo", the text, OK. Boxes stack.
  function addNotice(text) {
    const box = document.createElement('div');
    box.className = 'notice';
    box.innerHTML = '<div class="caption">quillo</div><p></p><button>OK</button>';
    box.querySelector('p').textContent = text;
    box.querySelector('button').addEventListener('click', () => { box.remove(); $('keyarea').focus(); });
    $('notices').append(box);
  }

  function addCap(key, name) {
    const cap = document.createElement('span');
    cap.className = 'cap ' + (key.up ? 'up' : 'down');
    cap.textContent = (key.up ? '↑' : '↓') + (name || hex2(key.vk)).replace(/ \(0x..\)$/, '');
    cap.title = name || hex2(key.vk);
    $('caps').append(cap);
    if ($('caps').childElementCount > MAX_CAPS) $('caps').firstElementChild.remove();
  }

  function showState(s, held) {
    const bits = (value, names) => names.filter(([bit]) => value & (1 << bit)).map(([, name]) => name).join(' ');
    $('state').textContent = [
      `${T.mode} ${s.mode}${T.paren(T.keyTable + ' ' + s.keyTable)}`, T.ime[(s.sysflags >>> 16) & 1],
      `sysflags 0x${(s.sysflags >>> 0).toString(16).toUpperCase().padStart(8, '0')} ` +
        bits(s.sysflags, [[3, 'classify'], [17, 'native-scan'], [18, 'no-entry']]),
      `R_STATE 0x${(s.regs[32] >>> 0).toString(16).toUpperCase()}`, `R_MODS ${hex2(s.regs[35] & 0xFF)}`,
      `acc ${s.acc}`, `R_TIMEOUT ${s.regs[34]}`, `R_MARK ${s.regs[33]}`,
      ...s.regs.map((v, r) => (v && (r < 32 || r > 40) ? `r${r} ${v}` : '')).filter(Boolean),
    ].join(' · ');
    $('held').textContent = held.length ? T.held + ': ' + held.join('; ') : '';
  }

  // ---- the panel's test box: what a text field receives (passed keys first, then injected) ----
  function typeKey(vk, up) {
    if (vk === 0x10 || vk === 0xA0 || vk === 0xA1) field.shift = !up;
    if (vk === 0x11 || vk === 0xA2 || vk === 0xA3) field.ctrl = !up;
    if (vk === 0x12 || vk === 0xA4 || vk === 0xA5) field.alt = !up;
    if (up || field.ctrl || field.alt) return;
    const {text, caret} = field;
    const lineStart = text.lastIndexOf('\n', caret - 1) + 1;
    const lineEnd = text.indexOf('\n', caret) < 0 ? text.length : text.indexOf('\n', caret);
    const moves = {0x25: Math.max(0, caret - 1), 0x27: Math.min(text.length, caret + 1), 0x24: lineStart, 0x23: lineEnd};
    if (vk in moves) field.caret = moves[vk];
    else if (vk === 0x08 && caret > 0) Object.assign(field, {text: text.slice(0, caret - 1) + text.slice(caret), caret: caret - 1});
    else if (vk === 0x2E) field.text = text.slice(0, caret) + text.slice(caret + 1);
    else {
      let ch = CHARACTERS[vk] ? CHARACTERS[vk][field.shift ? 1 : 0] : '';
      if (vk >= 0x41 && vk <= 0x5A) ch = String.fromCharCode(field.shift ? vk : vk + 32);
      if (vk >= 0x30 && vk <= 0x39) ch = field.shift ? SHIFTED_DIGITS[vk - 0x30] : String.fromCharCode(vk);
      if (ch) Object.assign(field, {text: text.slice(0, caret) + ch + text.slice(caret), caret: caret + ch.length});
    }
  }

  function drawField() {
    $('field').textContent = field.text.slice(0, field.caret);
    $('field').append(Object.assign(document.createElement('span'), {className: 'caret'}), field.text.slice(field.caret));
  }

  // ---- the editor ----
  function drawGutter() {
    const count = $('script').value.split('\n').length;
    $('gutter').textContent = Array.from({length: count}, (_, i) => i + 1).join('\n');
  }

  function selectLine(line) {
    const lines = $('script').value.split('\n');
    const begin = lines.slice(0, line - 1).reduce((sum, text) => sum + text.length + 1, 0);
    $('script').focus();
    $('script').setSelectionRange(begin, begin + (lines[line - 1] || '').length);
    $('script').scrollTop = (line - 3) * parseFloat(getComputedStyle($('script')).lineHeight);
  }

  function readFile(file, then) {
    const reader = new FileReader();
    reader.onload = () => then(new Uint8Array(reader.result));
    reader.readAsArrayBuffer(file);
  }

  function openScript(file) {
    readFile(file, bytes => {
      scriptName = file.name;
      M.FS.writeFile(DIR + scriptName, bytes);
      setScript(decodeScript(DIR + scriptName), bytes);
      start();
    });
  }

  // quillo-sim --test on the file, with the script as it stands under the name the file gives;
  // then its inputs are played on a fresh program, so every effect shows here too.
  function openTest(file) {
    readFile(file, bytes => {
      const text = new TextDecoder().decode(bytes);
      const named = /^\s*script\s+(\S+)/m.exec(text);
      if (named) scriptName = named[1].replace(/^.*[\\/]/, '');
      writeScript();
      M.FS.writeFile(DIR + file.name, bytes);
      captured = [];
      const status = M.ccall('PlaygroundRunTests', 'number', ['string'], [DIR + file.name]);
      $('testoutput').textContent = captured.join('\n') + `\n(exit status ${status})`;
      captured = null;
      start();
      const inputs = text.split(/\r?\n/).map(line => line.trim())
        .filter(line => line && !/^(#|=>|script\s|start$)/.test(line));
      for (const line of inputs) input(line, []);
    });
  }

  function save(name, data, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], {type}));
    link.download = name;
    link.click();
    URL.revokeObjectURL(link.href);
  }

  function wire() {
    const on = (id, name, handler) => $(id).addEventListener(name, handler);
    on('script', 'input', () => {
      fileBytes = null;
      drawGutter();
      clearTimeout(editTimer);
      editTimer = setTimeout(compileEdit, EDIT_PAUSE);
    });
    on('script', 'scroll', () => { $('gutter').scrollTop = $('script').scrollTop; });
    on('sample', 'click', loadSample);
    on('run', 'click', () => start());
    on('menu-reload', 'click', compileEdit);
    // The value goes at once, so that picking the same file again loads it again.
    const picked = open => event => {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) open(file);
    };
    on('open-script', 'change', picked(openScript));
    on('open-test', 'change', picked(openTest));
    on('save-script', 'click', () => {
      const lost = writeScript();
      if (!lost.length || confirm(T.saveLost(lost))) save(scriptName, M.FS.readFile(DIR + scriptName), 'text/plain');
    });
    on('save-test', 'click', () => save(scriptName.replace(/\.[^.]*$/, '') + '.test', saved.testfile, 'text/plain'));
    on('save-records', 'click', () => save('records.jsonl', saved.records, 'application/json'));
    on('keyarea', 'keydown', event => realKey(event, false));
    on('keyarea', 'keyup', event => realKey(event, true));
    on('line', 'keydown', event => {
      if (event.key !== 'Enter' || !event.target.value.trim()) return;
      input(event.target.value, []);
      event.target.value = '';
    });
    for (const radio of document.querySelectorAll('input[name=ime]')) radio.addEventListener('change', () => input(radio.value, []));
    window.addEventListener('hashchange', loadFromAddress);
  }

  const sink = line => { if (captured) captured.push(line); else console.log(line); };
  QuilloPlayground({print: sink, printErr: sink}).then(module => {
    M = module;
    M.ccall('PlaygroundSetLanguage', null, ['string'], [lang]);  // warnings and test reports
    M.FS.mkdir(DIR);
    const sample = decodeScript(SAMPLE);
    prelude = sample.slice(0, sample.search(/^func\b/m));
    buildKeyboard();
    wire();
    loadFromAddress();
    document.body.classList.add('ready');
  });
})();
