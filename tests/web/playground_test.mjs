// The playground in Debian's Chromium, one browser session for every check:
//   node playground_test.mjs WASM_BUILD_DIR ARTIFACTS
// Only what a browser shows: the pages, their keys, their files and the manual's "Try it" links.
// What the session computes (records, messages, test results) the native tool tests check. Pages
// open as file: addresses from the wasm build's docs folder and from the release zip; any other
// request is refused and fails the run.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const [wasmBuild, artifacts] = process.argv.slice(2);
const source = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const playground = path.join(wasmBuild, 'docs', 'playground.html');
const sample = path.join(source, 'examples', 'scriptcommand.txt');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'quillo-web-'));
const problems = [];  // page errors, console errors and refused requests of every page
let browser;
fs.mkdirSync(artifacts, {recursive: true});

before(async () => {
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: 'new', userDataDir: path.join(work, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync']});
});
after(async () => {
  await browser?.close();
  fs.rmSync(work, {recursive: true, force: true});
});

async function open(file) {
  const page = await browser.newPage();
  await page.setViewport({width: 1500, height: 1000});
  page.on('pageerror', error => problems.push(error.message));
  page.on('console', message => message.type() === 'error' && problems.push(message.text()));
  await page.setRequestInterception(true);
  page.on('request', request => {
    if (/^(file|data|blob):/.test(request.url())) return request.continue();
    problems.push('network request: ' + request.url());
    return request.abort();
  });
  await page.goto(pathToFileURL(file).href);
  if (file.includes('playground')) await page.waitForSelector('body.ready');
  return page;
}

// What the page shows, as a user reads it.
const view = page => page.evaluate(() => {
  const text = id => document.getElementById(id).textContent;
  const all = (selector, read) => [...document.querySelectorAll(selector)].map(read);
  const script = document.getElementById('script');
  return {
    caps: all('#caps .cap', c => c.textContent), field: text('field'), status: [0, 1, 2, 3, 4, 5].map(n => text('status' + n)),
    log: text('log'), trace: text('trace'), state: text('state'), notices: all('.notice p', p => p.textContent),
    messages: all('#messages tr.compile', row => [...row.cells].map(cell => cell.textContent)),
    editor: script.value, selected: script.value.slice(script.selectionStart, script.selectionEnd), encoding: text('encoding'), records: text('records'),
  };
});

// One user action: 'key:F2' (a real key in the test box), 'tap:M' or 'hold:Caps' (the on-screen keyboard),
// 'click:SELECTOR', 'line:tap 0x1D' (typed into the input line, then Enter, which empties it).
async function act(page, action) {
  const [, kind, what] = /^(\w+):(.*)$/.exec(action);
  const key = `#keyboard button[data-vk="${{Caps: 0x14}[what] || what.charCodeAt(0)}"]`;
  if (kind === 'key') await page.focus('#keyarea');
  if (kind === 'key') await page.keyboard.press(what);
  if (kind === 'tap') await page.click(key);
  if (kind === 'click') await page.click(what);
  if (kind === 'line') {
    await page.type('#line', what);
    await page.keyboard.press('Enter');
    assert.equal(await page.$eval('#line', line => line.value), '');
  }
  if (kind === 'hold') {
    const box = await (await page.$(key)).boundingBox();
    await page.mouse.move(box.x + 5, box.y + 5);
    await page.mouse.down();
    await new Promise(resolve => setTimeout(resolve, 700));
    await page.mouse.up();
  }
}

const edit = (page, text) => page.$eval('#script', (editor, t) => { editor.value = t; editor.dispatchEvent(new Event('input')); }, text);

// Does a row's actions and checks what they showed: new key caps, the text field, a status line, trace,
// state, log and records; a notice box only where the row names one (a run-time error is one too).
async function check(page, row) {
  const before = await view(page);
  for (const action of [row.do || []].flat()) await act(page, action);
  const after = await view(page);
  if (row.caps) assert.deepEqual(after.caps.slice(before.caps.length), row.caps);
  if (row.field !== undefined) assert.equal(after.field, row.field);
  if (row.status) (row.status[1] instanceof RegExp ? assert.match : assert.equal)(after.status[row.status[0]], row.status[1]);
  if (row.trace) assert.match(after.trace, row.trace);
  if (row.state) assert.match(after.state, row.state);
  if (row.log) assert.match(after.log.slice(before.log.length), row.log);
  if (row.records) assert.match(after.records.slice(before.records.length), row.records);
  const notices = after.notices.slice(before.notices.length);
  assert.equal(notices.length, row.notice ? 1 : 0, notices.join());
  if (row.notice) assert.match(notices[0], row.notice);
  return after;
}

// The sample script, keys pressed in order: real key events in the test box, taps and holds on screen.
const SAMPLE_ROWS = [
  {do: 'key:KeyP', caps: [], field: 'p', status: [1, 'モード1: 通常入力']},  // mode 1: a letter passes to the text field
  {do: 'key:CapsLock', caps: ['↓VK_CONTROL', '↑VK_CONTROL'], status: [1, 'モード2: カーソル (Emacs)'], state: /^モード 2（関数テーブル 2）/},
  // on screen: the key's whole trace, down and up, in the script's names
  {do: 'tap:P', caps: ['↓VK_UP', '↑VK_UP'], trace: /^trace: down 0x50 .*PRESS VK_UP \(0x26\).*\ntrace: up 0x50 /s},
  {do: 'tap:M', caps: [], notice: /^現在のモード 2$/},
  {do: 'tap:X', log: /^プログラム起動: \\Windows\\calc\.exe \n$/},
  {do: 'key:KeyJ', log: /^ウィンドウ操作 C: IME の開閉 → IME 開\n$/, state: /IME 開 · sysflags 0x00070000/},
  {do: 'click:input[value="ime open 1"]', records: /^\{"input": "ime open 1"/},  // a composition in progress
  // the menu's reload: registers survive, so mode 2 stays
  {do: ['click:.menubar summary', 'click:#menu-reload'], records: /^\{"input": "reload"/, state: /^モード 2/},
  {do: 'hold:Caps', caps: ['↓VK_CONTROL', '↑VK_CONTROL'], state: /^モード 2/},  // held past the tap time: Ctrl only
  {do: 'key:KeyH', caps: ['↓VK_BACK', '↑VK_BACK'], field: ''},  // mode 2: H is backspace, the p goes
  {do: 'key:F10', records: /^\{"input": "sysdown 0x79 time=\d+"/},  // F10 and keys with Alt are system keys
  {do: 'key:ArrowUp', records: /^\{"input": "down 0x26 scan=0x3C time=\d+"/},  // the direction keys' scan codes
  {do: 'line:tap VK_CAPITAL', status: [1, 'モード1: 通常入力']},
];

test('keys on the sample: status lines, notices, injected keys, text field, log and trace', async t => {
  const page = await open(playground);
  assert.deepEqual((await view(page)).status.slice(0, 3), ['quillo サンプルスクリプト', 'モード1: 通常入力', 'CapsLock: タップで切替 / 押したままCtrl']);
  for (const [index, row] of SAMPLE_ROWS.entries()) await t.test(`sample row ${index}`, async () => check(page, row));
  await page.screenshot({path: path.join(artifacts, 'playground.ja.png'), fullPage: true});
  const english = await open(playground.replace('.html', '.en.html'));
  await check(english, {do: 'tap:Caps', state: /^Mode 2 \(function table 2\) · IME closed/, status: [1, 'モード2: カーソル (Emacs)']});
  await english.screenshot({path: path.join(artifacts, 'playground.en.png'), fullPage: true});
});

const DEFINES = 'define EXIT 1\ndefine STATUS 84\nfunc 1 0\n';
const COUNTER = `define LDA 36\ndefine ADDI 69\ndefine STA 37\n${DEFINES}LDA 20\nADDI 1\nSTA 20\nSTA 0\nstring 0 "%d"\nSTATUS 0\nEXIT 0\nendfunc`;
const WINE_SCRIPT = name => fs.readFileSync(path.join(source, 'tests', 'e2e', 'cases', name), 'utf8');
// The editor's text, compiled once typing pauses, as the menu's reload: registers stay and the start-up
// function runs again; after an error, what compiled before it. Text goes in code page 932 bytes.
const EDIT_ROWS = [
  {script: COUNTER, status: [0, '1']},
  {script: COUNTER + '\n', status: [0, '2']},
  {do: 'click:#run', status: [0, '1']},  // the button starts afresh
  {script: DEFINES + 'string 0 "前"\nSTATUS 0\nBOGUS 1\nendfunc', status: [0, '前'], selects: 'BOGUS 1'},  // messages in the list
  {script: DEFINES + 'string 0 "x😀é"\nSTATUS 0\nEXIT 0\nendfunc', status: [0, 'x??'], encoding: /2 個（😀 é）を \?/},
  {en: true, script: DEFINES + 'string 0 "é"\nSTATUS 0\nEXIT 300\nendfunc', status: [0, '?'],
    encoding: /1 character that code page 932 lacks became \?: é$/, warning: /^the operand 300 /},
  // The Wine cases' scripts show the texts quillo.exe shows on an English Windows, and quillo-sim records.
  {script: WINE_SCRIPT('remap.txt'), status: [0, '状態 7'], do: 'key:F2', notice: /^通知です 5$/},
  {script: WINE_SCRIPT('errors.txt'), message: '5行:symbolが見つかりません 未定義キー'},
];

test('an edit compiles after a pause in typing, as a reload', async () => {
  const pages = {ja: await open(playground), en: await open(playground.replace('.html', '.en.html'))};
  for (const row of EDIT_ROWS) {
    const page = pages[row.en ? 'en' : 'ja'];
    await page.bringToFront();  // a tab in the background paints no frame, so a click on it never ends
    if (row.script) {
      await page.$eval('#trace', trace => { trace.textContent = ''; });
      await edit(page, row.script);
      assert.equal((await view(page)).trace, '');  // not at every keystroke
      await page.waitForFunction(() => document.getElementById('trace').textContent.startsWith('trace: reload'));
    }
    const shown = await check(page, row);
    if (row.encoding) assert.match(shown.encoding, row.encoding);
    if (row.warning) assert.match(shown.messages[0][2], row.warning);
    if (row.message) assert.equal(shown.messages[0][1], row.message);
    if (!row.selects) continue;
    await page.click('#messages tr.compile');
    assert.equal((await view(page)).selected, row.selects);
  }
});

test('files: every pick loads the file anew; a script saved with characters code page 932 lacks asks first', async () => {
  const page = await open(playground);
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: path.join(work, 'saved')});
  const shows = (selector, text) => page.waitForFunction((s, t) => document.querySelector(s)[s === '#script' ? 'value' : 'textContent'].includes(t), {}, selector, text);
  const sampleTest = sample.replace(/\.txt$/, '.test');
  await (await page.$('#open-script')).uploadFile(sample);
  await shows('#encoding', 'scriptcommand.txt をそのままのバイトで');
  await (await page.$('#open-test')).uploadFile(sampleTest);
  await shows('#testoutput', '(exit status 0)');
  await edit(page, (await view(page)).editor.replace('quillo サンプルスクリプト', 'x'));
  await (await page.$('#open-test')).uploadFile(sampleTest);  // the same file, on the edited script
  await shows('#testoutput', '(exit status 1)');
  await (await page.$('#open-script')).uploadFile(sample);  // the same file again
  await shows('#script', 'quillo サンプルスクリプト');
  await edit(page, '# é😀é\n' + (await view(page)).editor);
  const asked = [];
  for (const answer of ['dismiss', 'accept']) {
    page.once('dialog', dialog => { asked.push(dialog.message()); dialog[answer](); });
    await page.click('#save-script');
  }
  assert.deepEqual(asked.map(text => text.split('\n')[0]), Array(2).fill('コードページ 932 にない文字があります: é 😀'));
  const saved = path.join(work, 'saved', 'scriptcommand.txt');
  for (let wait = 0; !fs.existsSync(saved) && wait < 50; ++wait) await new Promise(resolve => setTimeout(resolve, 100));
  assert.deepEqual(fs.readdirSync(path.join(work, 'saved')), ['scriptcommand.txt']);  // saved once: the first was cancelled
  assert.equal(fs.readFileSync(saved, 'latin1').slice(0, 7), '# ???\r\n');
});

// The manuals' "Try it" examples in order, the same in both languages: what to do and what it shows. An example
// marked data-expect shows that message first; every other one no message or warning, and no run-time error.
const TRY_IT_ROWS = [
  {do: ['tap:Caps', 'tap:M'], notice: /^(ただいまのモード|Current mode) 2$/},  // the first edit, in the whole sample
  {},  // the first error, in the whole sample: its line is the sample's
  {do: 'tap:Caps', caps: ['↓VK_CONTROL', '↑VK_CONTROL']},  // tutorial step 1
  {do: 'tap:Caps', caps: ['↓VK_CONTROL', '↑VK_CONTROL', '↓VK_ESCAPE', '↑VK_ESCAPE']},  // step 2: a tap is Esc
  {do: ['tap:Caps', 'tap:I'], caps: ['↓VK_UP', '↑VK_UP'], status: [0, 'モード 2']},  // step 3
  {do: 'tap:A', field: 'a'},  // the function tables
  {},  // string
  {do: 'tap:Q', field: 'qcccc'},  // an instruction line, named and in numbers: two Cs on the key's down and up
  {do: 'key:F2', log: /calc\.exe/},  // ifsw
  {do: 'tap:A', status: [0, '仮想キー 0x41  スキャン 0x10']},  // finding a key's codes
  {do: 'tap:A', caps: ['↓0x11', "↓'C'", "↑'C'", '↑0x11']},  // example 1: A is Ctrl+C
  {do: 'key:F1', status: [0, /^(モード|mode) 2$/]},  // example 2
  {do: 'tap:A'},  // example 3
  {do: ['line:tap 0x1D', 'line:tap 0x1D'], log: /^[^\n]+ C: /},  // example 4: a double press opens the IME
  {do: 'key:F3', notice: /^F3.*: 1$/},  // example 5
  {do: 'tap:Caps', status: [1, 'モード2: カーソル (Emacs)']},  // the sample's CapsLock, in the whole sample
  // its pre-key function: CapsLock used with another key is no tap
  {do: ['line:down VK_CAPITAL', 'line:tap P', 'line:up VK_CAPITAL'], status: [1, 'モード1: 通常入力']},
];

test('from the release zip, offline: every "Try it" example runs as its manual says', async t => {
  const mingw = path.join(work, 'mingw');
  fs.mkdirSync(path.join(mingw, 'shell'), {recursive: true});
  fs.writeFileSync(path.join(mingw, 'CMakeCache.txt'), 'CMAKE_PROJECT_VERSION:STATIC=1.33\n');
  fs.writeFileSync(path.join(mingw, 'shell', 'quillo.exe'), 'exe');
  execFileSync(path.join(source, 'scripts', 'package'), ['--no-build', '--build-dir', mingw, '--wasm-build-dir', wasmBuild,
    '--out', work], {stdio: 'pipe'});
  execFileSync('unzip', ['-q', path.join(work, 'quillo-1.33-win64.zip'), '-d', work]);
  for (const manual of ['index.html', 'index.en.html']) {
    const page = await open(path.join(work, 'quillo-1.33-win64', manual));
    const links = await page.$$eval('p.try-it a', all => all.map(a => [a.href, a.parentNode.previousElementSibling]).
      map(([href, pre]) => [href, pre.textContent, pre.dataset.file, pre.dataset.expect]));
    assert.equal(links.length, TRY_IT_ROWS.length);
    for (const [index, [href, text, file, expect]] of links.entries()) await t.test(`${manual} example ${index}`, async () => {
      assert.match(href, manual.includes('.en.') ? /\/playground\.en\.html#/ : /\/playground\.html#/);
      await page.goto('about:blank');
      await page.goto(href);
      await page.waitForSelector('body.ready');
      const shown = await view(page);
      // the example alone, or the file it quotes at the example's first function
      const code = line => line.replace(/\s*#.*$/, '');
      if (file) assert.equal(code(shown.selected), code(text.split('\n').find(line => line.startsWith('func'))));
      else assert.ok(shown.editor.includes(text));
      assert.deepEqual(shown.notices, []);
      if (expect) assert.equal(shown.messages[0][1], expect);
      else assert.deepEqual(shown.messages, []);
      await check(page, TRY_IT_ROWS[index]);
    });
  }
});

test('no page error, console error or network request', () => assert.deepEqual(problems, []));
