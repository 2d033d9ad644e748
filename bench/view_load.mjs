// The measuring half of bench/view_load: opens the page RUNS times in
// headless Chromium and prints the median times and the page's overhead.
// Usage: node view_load.mjs SOURCE_DIR PAGE.html MODEL.glb RUNS
import { statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const [source, pagePath, glbPath, runsText] = process.argv.slice(2);
const runs = Number(runsText) || 5;
const puppeteer = createRequire(join(source, 'viewer', 'package.json'))('puppeteer-core');

const pageBytes = statSync(pagePath).size;
const glbBytes = statSync(glbPath).size;
const base64Bytes = Math.ceil(glbBytes / 3) * 4;
console.log(`== Page ${pageBytes} bytes: glb ${glbBytes} bytes as base64 ${base64Bytes}, ` +
            `the rest (viewer, facts, markup) ${pageBytes - base64Bytes} bytes`);

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const profile = mkdtempSync(join(tmpdir(), 'mevlo-view-load-profile.'));
const browser = await puppeteer.launch({
  executablePath: process.env.MEVLO_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
const rows = [];
try {
  for (let run = 0; run < runs; run++) {
    const page = await browser.newPage();
    await page.setViewport({ width: 960, height: 540 });
    const start = Date.now();
    await page.goto(pathToFileURL(pagePath).href, { timeout: 120000 });
    await page.waitForFunction(() => window.mevloViewer && (window.mevloViewer.ready || window.mevloViewer.error), {
      timeout: 120000,
      polling: 50,
    });
    const wall = Date.now() - start;
    const result = await page.evaluate(() => ({ error: window.mevloViewer.error, timings: window.mevloViewer.timings }));
    if (result.error) throw new Error(result.error);
    rows.push({ ...result.timings, wall });
    console.log(`run ${run + 1}: ${JSON.stringify(result.timings)} (ms since navigation start), ready seen after ${wall} ms`);
    await page.close();
  }
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
}
const m = (key) => median(rows.map((row) => row[key]));
console.log(`== Median of ${runs}: script starts ${m('script')} ms, glb decoded ${m('decoded')} ms, ` +
            `parsed ${m('parsed')} ms, first frame drawn ${m('drawn')} ms; ready seen by the driver ${m('wall')} ms`);
