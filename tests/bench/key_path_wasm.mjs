// The engine's key path as WebAssembly against native: the same script, events and loop
// (key_path_timing.cpp), the runs alternating so that both see the same machine. Processor time
// leads (other work on the machine barely moves it); wall time is shown beside it.
//   cmake --preset bench && cmake --build --preset bench --target key_path_timing
//   cmake --preset wasm -DQUILLO_BENCH=ON && cmake --build --preset wasm --target key_path_timing
//   node tests/bench/key_path_wasm.mjs build/bench/tests/bench/key_path_timing \
//        build/wasm/tests/bench/key_path_timing.js [EVENTS] [RUNS]
import {execFileSync} from 'node:child_process';
import {createRequire} from 'node:module';
import path from 'node:path';

const [native, wasm, events = '1000000', runs = '15'] = process.argv.slice(2);
const count = Number(events);
const module = await createRequire(import.meta.url)(path.resolve(wasm))();
function timeWasm() {
  const [cpu, wall] = [process.cpuUsage(), process.hrtime.bigint()];
  if (!module._RunKeyEvents(count)) throw new Error('the script did not run in WebAssembly');
  const used = process.cpuUsage(cpu);
  return [(used.user + used.system) * 1000 / count, Number(process.hrtime.bigint() - wall) / count];
}
timeWasm();  // compiled to machine code before it is timed
const median = values => [...values].sort((a, b) => a - b)[values.length >> 1];
const times = {native: [], wasm: []};
for (let run = 0; run < Number(runs); ++run) {
  times.native.push(execFileSync(native, [events], {encoding: 'utf8'}).trim().split(' ').map(Number));
  times.wasm.push(timeWasm());
}
const figure = (side, i) => median(times[side].map(t => t[i]));
for (const [i, clock] of [[0, 'processor'], [1, 'wall']])
  console.log(`${clock} ns per key event, median of ${runs} runs of ${events}: native ${figure('native', i).toFixed(1)}, ` +
    `wasm ${figure('wasm', i).toFixed(1)}, wasm/native ${(figure('wasm', i) / figure('native', i)).toFixed(2)}`);
