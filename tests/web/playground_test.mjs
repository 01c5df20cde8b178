// The playground in Debian's Chromium, one browser session for every check:
//   node playground_test.mjs WASM_BUILD_DIR QUILLO_SIM ARTIFACTS
// Pages open as file: addresses from the wasm build's docs folder and from the release zip; any
// other request is refused and fails the run. Records are compared with the native quillo-sim's.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const [wasmBuild, quilloSim, artifacts] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const source = path.resolve(here, '../..');
const docs = path.join(wasmBuild, 'docs');
const sample = path.join(source, 'examples', 'scriptcommand.txt');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'quillo-web-'));
const problems = [];  // page errors, console errors and refused requests of every page
const elapsed = [];   // milliseconds each key press took the page, effects and trace drawn
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
  return {
    caps: all('#caps .cap', c => c.textContent), field: text('field'), status: [0, 1, 2, 3, 4, 5].map(n => text('status' + n)),
    log: text('log'), trace: text('trace'), state: text('state'), notices: all('.notice p', p => p.textContent),
    messages: all('#messages tr.compile', row => [...row.cells].map(cell => cell.textContent)), held: text('held'),
    elapsed: parseFloat(text('elapsed')), editor: document.getElementById('script').value, encoding: text('encoding'),
    testfile: text('testfile'), records: text('records'), testoutput: text('testoutput'),
  };
});

const vkOf = key => ({Caps: 0x14}[key] || key.charCodeAt(0));
async function act(page, row) {
  if (row.key) {
    await page.focus('#keyarea');
    await page.keyboard.press(row.key);
  } else if (row.tap) {
    await page.click(`#keyboard button[data-vk="${vkOf(row.tap)}"]`);
  } else if (row.click) {
    for (const selector of row.click) await page.click(selector);
  } else if (row.hold) {
    const box = await (await page.$(`#keyboard button[data-vk="${vkOf(row.hold)}"]`)).boundingBox();
    await page.mouse.move(box.x + 5, box.y + 5);
    await page.mouse.down();
    await new Promise(resolve => setTimeout(resolve, 700));
    await page.mouse.up();
  }
}

// Checks the effects of one row: new key caps, text field, a status line, trace, state, notice, log.
function expectEffects(before, after, row) {
  if (row.caps) assert.deepEqual(after.caps.slice(before.caps.length), row.caps);
  if (row.field !== undefined) assert.equal(after.field, row.field);
  if (row.status) assert.equal(after.status[row.status[0]], row.status[1]);
  if (row.trace) assert.match(after.trace, row.trace);
  if (row.state) assert.match(after.state, row.state);
  if (row.notice) assert.deepEqual(after.notices.slice(before.notices.length), [row.notice]);
  if (row.log) assert.match(after.log.slice(before.log.length), row.log);
  if (row.records) assert.match(after.records.slice(before.records.length), row.records);
}

// The sample script, keys pressed in order: real key events in the test box, taps and holds on screen.
const SAMPLE_ROWS = [
  {key: 'KeyP', caps: [], field: 'p', status: [1, 'モード1: 通常入力']},  // mode 1: a letter passes to the text field
  {key: 'CapsLock', caps: ['↓VK_CONTROL', '↑VK_CONTROL'], status: [1, 'モード2: カーソル (Emacs)'], state: /^モード 2 \(キー表 2\)/},
  // on screen: the key's whole trace, down and up, in the script's names
  {tap: 'P', caps: ['↓VK_UP', '↑VK_UP'], trace: /^trace: down 0x50 .*PRESS VK_UP \(0x26\).*\ntrace: up 0x50 /s},
  {tap: 'M', caps: [], notice: '現在のモード 2'},
  {tap: 'X', log: /^プログラム起動: \\Windows\\calc\.exe \n$/},
  {tap: 'R', log: /^画面の向き: 90° 回転 \(4\)\n$/},
  {key: 'KeyJ', log: /^ウィンドウ操作 C: 入力メソッドの開閉 → IME 開\n$/, state: /IME 開 · sysflags 0x00070000/},
  {click: ['input[value="ime open 1"]'], records: /^\{"input": "ime open 1"/},  // a composition in progress
  {key: 'KeyJ', log: /^ウィンドウ操作 C: 入力メソッドの開閉 → IME 開\n$/},  // ...keeps the input method open
  // the menu's reload: registers survive, so mode 2 stays and its status line is written again
  {click: ['.menubar summary', '#menu-reload'],
    records: /^\{"input": "reload", .*"cmd": "status", "line": 1, "text": "モード2: カーソル \(Emacs\)"/},
  {hold: 'Caps', caps: ['↓VK_CONTROL', '↑VK_CONTROL'], state: /^モード 2/},  // held past the tap time: Ctrl only
  {key: 'KeyH', caps: ['↓VK_BACK', '↑VK_BACK'], field: ''},  // mode 2: H is backspace, the p goes
  {key: 'KeyZ', caps: [], field: 'z'},  // no key function in mode 2: passes
  {key: 'F10', records: /^\{"input": "sysdown 0x79 time=\d+"/},  // F10 and keys with Alt are system keys
  {key: 'ArrowUp', records: /^\{"input": "down 0x26 scan=0x3C time=\d+"/},  // the d-pad's scan codes
];

test('keys on the sample: status lines, notices, injected keys, text field, log and trace', async t => {
  const page = await open(path.join(docs, 'playground.html'));
  const start = await view(page);
  assert.deepEqual(start.messages, []);  // the sample gets no warning
  assert.deepEqual(start.status.slice(0, 3), ['quillo サンプルスクリプト', 'モード1: 通常入力', 'CapsLock: タップで切替 / 押したままCtrl']);
  assert.equal(start.status[5], '詳細はマニュアルを参照してください。');
  for (const [index, row] of SAMPLE_ROWS.entries()) {
    const before = await view(page);
    await act(page, row);
    const after = await view(page);
    await t.test(`sample row ${index}`, () => expectEffects(before, after, row));
    elapsed.push(after.elapsed);
  }
  await page.screenshot({path: path.join(artifacts, 'playground.ja.png'), fullPage: true});
  const english = await open(path.join(docs, 'playground.en.html'));
  await act(english, {tap: 'Caps'});
  const shown = await view(english);
  assert.match(shown.state, /^Mode 2 \(key table 2\) · IME closed/);
  assert.equal(shown.status[1], 'モード2: カーソル (Emacs)');  // the device's own texts stay Japanese
  await english.screenshot({path: path.join(artifacts, 'playground.en.png'), fullPage: true});
});

// The median, not the slowest: a busy machine can hold up any one press.
test('a key press shows its effects, trace included, within one frame', () => {
  const sorted = [...elapsed].sort((a, b) => a - b);
  console.log(`key press to effects drawn: median ${sorted[sorted.length >> 1]} ms, max ${sorted.at(-1)} ms`);
  assert.ok(sorted[sorted.length >> 1] < 16, `half the key presses took ${sorted[sorted.length >> 1]} ms or more`);
});

const DEFINES = 'define EXIT 1\ndefine STATUS 84\nfunc 1 0\n';
const WARNED = `define LDI 38\ndefine KEYDOWN 11\n${DEFINES}LDI 300\nKEYDOWN 0x41\nEXIT 0\nendfunc\nfunc 6 'y'\nEXIT 0\nendfunc`;
const KANA = 'あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ';
// Typed scripts: messages on their lines, as the device shows them and in English; the tools' warnings
// in the page's language; text in code page 932 bytes, so a status line keeps 48 bytes.
const TYPED_ROWS = [
  // compiling stops at the faulty line, so its func is left open there: the tools say so; rows in line order
  {script: DEFINES + 'EXIT 0x1G\nBOGUS 1\nendfunc', selects: 'EXIT 0x1G', messages: [
    ['4', '', '0x1G は数値の正しい書き方ではなく、16 と読まれます。16 進数は 0x に続けて 0～9、A～F で、10 進数は数字だけで書きます'],
    ['5', '5行:symbolが見つかりません BOGUS', 'symbol not found: BOGUS'],
    ['5', '5行:func と endfunc が一致していません ', 'func and endfunc do not match (follows from the error above)']]},
  {script: DEFINES + 'EXIT 0\nendfunc\nendif', messages: [['6', '6行:endifのミスマッチ endif', 'endif mismatch: endif']]},
  {script: DEFINES + 'EXIT 0', messages: [['4', '4行:func と endfunc が一致していません ', 'func and endfunc do not match']]},  // the last line
  {script: WARNED, selects: 'LDI 300', held: /^押されたままのキー: キー 0x41 が押下されたまま/, messages: [
    ['6', '', 'オペランド 300 は 1 バイト（-128～255）に収まらず、44（0x2C）として書き込まれます'],
    ['10', '', "'y' はキーコード 0x79（F10）で、Y のキーではありません。文字のキーは大文字で書きます（'Y'）"]]},
  {script: DEFINES + 'EXIT 300\nendfunc', reload: true, messages: [  // a reload finds the warnings anew
    ['4', '', 'オペランド 300 は 1 バイト（-128～255）に収まらず、44（0x2C）として書き込まれます']]},
  {script: WARNED, en: true, held: /^Held down: key 0x41 was injected down and never up/, messages: [
    ['6', '', 'the operand 300 does not fit in a byte (-128 to 255) and is written as 44 (0x2C)'],
    ['10', '', "'y' is the key code 0x79 (F10), not the key Y: write letter keys in upper case ('Y')"]]},
  {script: DEFINES + `string 0 "${KANA}"\nSTATUS 0\nEXIT 0\nendfunc`, messages: [], status0: KANA.slice(0, 24)},
  {script: DEFINES + 'string 0 "x😀é"\nSTATUS 0\nEXIT 0\nendfunc', messages: [], status0: 'x??', encoding: /2 個を \?/},
];

test('typed scripts: compile messages and warnings on the right line, code page 932 text', async () => {
  const pages = {ja: await open(path.join(docs, 'playground.html')), en: await open(path.join(docs, 'playground.en.html'))};
  for (const row of TYPED_ROWS) {
    const page = pages[row.en ? 'en' : 'ja'];
    await page.bringToFront();  // a tab in the background paints no frame, so a click on it never ends
    await page.$eval('#script', (editor, text) => {
      editor.value = text;
      editor.dispatchEvent(new Event('input'));
    }, row.script);
    await page.click(row.reload ? '#reload' : '#run');
    const shown = await view(page);
    assert.deepEqual(shown.messages, row.messages);
    if (row.held) assert.match(shown.held, row.held);
    if (row.status0) assert.equal(shown.status[0], row.status0);
    if (row.encoding) assert.match(shown.encoding, row.encoding);
    if (!row.selects) continue;
    await page.click('#messages tr.compile');
    assert.equal(await page.$eval('#script', e => e.value.slice(e.selectionStart, e.selectionEnd)), row.selects);
  }
});

test("the sample file and its test file give quillo-sim's own records", async () => {
  const page = await open(path.join(docs, 'playground.html'));
  await (await page.$('#open-script')).uploadFile(sample);
  await (await page.$('#open-test')).uploadFile(sample.replace(/\.txt$/, '.test'));
  await page.waitForFunction(() => document.getElementById('testoutput').textContent.includes('exit status'));
  assert.match((await view(page)).testoutput, /scriptcommand\.test: ok、期待 \d+ 件\n\(exit status 0\)/);
  const inputs = fs.readFileSync(sample.replace(/\.txt$/, '.test'), 'utf8').split(/\r?\n/).map(line => line.trim())
    .filter(line => line && !/^(#|=>|script\s)/.test(line));
  inputs.push('tap VK_CAPITAL time=9000');  // one more, typed as an input line: its trace is the page's last
  await page.type('#line', inputs.at(-1));
  await page.keyboard.press('Enter');
  fs.writeFileSync(path.join(work, 'events'), inputs.join('\n') + '\n');
  const native = spawnSync(quilloSim, ['--json', '--trace', sample, path.join(work, 'events')], {encoding: 'utf8'});
  const shown = await view(page);
  assert.equal(shown.records, native.stdout);
  const trace = native.stderr.split('\n').filter(line => line.startsWith('trace')).join('\n') + '\n';
  assert.ok(shown.trace.includes('CALLEV') && trace.endsWith(shown.trace), shown.trace);
  // The exported test file passes quillo-sim --test beside the script.
  fs.copyFileSync(sample, path.join(work, 'scriptcommand.txt'));
  fs.writeFileSync(path.join(work, 'exported.test'), shown.testfile);
  execFileSync(quilloSim, ['--test', path.join(work, 'exported.test')], {stdio: 'pipe'});
});

// The fixture manual's examples in order; the first uses names only the sample defines.
const FIXTURE_ROWS = [
  {prelude: true, tap: 'A', testfile: /=> inject down 0x11\n=> inject down 0x43\n=> inject up 0x43\n=> inject up 0x11\n=> swallowed/},
  {prelude: false, status0: 'ステータス & 行'},
  {prelude: false, messages: [['5', '5行:endifのミスマッチ endif', 'endif mismatch: endif']]},  // a message, but no name missing
];

test("from the release zip, offline: every manual example opens in the playground", async () => {
  const mingw = path.join(work, 'mingw');
  fs.mkdirSync(path.join(mingw, 'shell'), {recursive: true});
  fs.writeFileSync(path.join(mingw, 'CMakeCache.txt'), 'CMAKE_PROJECT_VERSION:STATIC=1.33\n');
  fs.writeFileSync(path.join(mingw, 'shell', 'quillo.exe'), 'exe');
  execFileSync(path.join(source, 'scripts', 'package'), ['--no-build', '--build-dir', mingw, '--wasm-build-dir', wasmBuild,
    '--out', work], {stdio: 'pipe'});
  execFileSync('unzip', ['-q', path.join(work, 'quillo-1.33-win64.zip'), '-d', work]);
  const release = path.join(work, 'quillo-1.33-win64');
  fs.copyFileSync(path.join(here, 'manual_fixture.html'), path.join(release, 'manual_fixture.html'));
  for (const manual of ['manual_fixture.html', 'index.html', 'index.en.html']) {
    const page = await open(path.join(release, manual));
    const links = await page.$$eval('p.try-it a', all => all.map(a => [a.parentNode.previousElementSibling.textContent, a.href]));
    if (manual === 'manual_fixture.html') assert.equal(links.length, FIXTURE_ROWS.length);
    for (const [index, [text, href]] of links.entries()) {
      assert.match(href, manual.includes('.en.') ? /\/playground\.en\.html#script=/ : /\/playground\.html#script=/);
      await page.goto(href);
      await page.waitForFunction(t => document.body.classList.contains('ready') &&
        document.getElementById('script').value.endsWith(t), {}, text);
      const row = manual === 'manual_fixture.html' ? FIXTURE_ROWS[index] : null;
      if (!row) continue;
      await act(page, row);
      const shown = await view(page);
      assert.equal(shown.editor.length > text.length, row.prelude);
      assert.deepEqual(shown.messages, row.messages || []);
      if (row.status0) assert.equal(shown.status[0], row.status0);
      if (row.testfile) assert.match(shown.testfile, row.testfile);
    }
  }
});

test('no page error, console error or network request', () => assert.deepEqual(problems, []));
