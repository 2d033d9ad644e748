// The browser test of `lodtool view`: writes the pages of the samples and
// of generated models, opens each from disk in headless Chromium (driven by
// puppeteer-core, pinned in viewer/package-lock.json) and checks what a
// person would see: a drawn model, the export's node tree, switch branches
// replacing each other, the record numbers of a clicked node, names shown
// as text, and no console error.
//
// Usage: node view_test.mjs --lodtool PATH --make-models PATH --source DIR
//                           [--screenshot PNG]
// Exit 77 (skipped) without Chromium, the npm packages, or a lodtool built
// with the viewer. A cross build names the emulator that runs lodtool in
// MEVLO_TARGET_RUNNER. --screenshot writes the README's picture of the
// hinge sample.
import { spawnSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { basename, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const options = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const key of ['lodtool', 'make-models', 'source', 'screenshot']) if (options[key]) options[key] = resolve(options[key]);
const chromium = process.env.MEVLO_CHROMIUM || '/usr/bin/chromium';
const runner = (process.env.MEVLO_TARGET_RUNNER || '').split(' ').filter(Boolean);

function skip(reason) {
  console.log(`SKIPPED: ${reason}`);
  process.exit(77);
}

if (!existsSync(chromium)) skip(`${chromium} is not installed (Debian: chromium)`);
let puppeteer;
try {
  puppeteer = createRequire(join(options.source, 'viewer', 'package.json'))('puppeteer-core');
} catch {
  skip('puppeteer-core is not installed (npm ci in viewer/)');
}

const work = mkdtempSync(join(tmpdir(), 'mevlo_view_test.'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));

// Runs a program of the build (through the emulator of a cross build).
function run(program, args) {
  const [command, ...rest] = [...runner, program];
  return spawnSync(command, [...rest, ...args], { cwd: work, encoding: 'utf8' });
}

function lodtool(args) {
  return run(options.lodtool, args);
}

const withoutViewer = lodtool(['view', join(options.source, 'samples', 'hinge.lod'), join(work, 'probe.html')]);
if (withoutViewer.status !== 0 && /built without the viewer/.test(withoutViewer.stderr)) skip('lodtool was built without the viewer');

let passed = 0;
let failed = 0;
function check(condition, what, detail) {
  if (condition) {
    passed++;
    console.log(`ok - ${what}`);
  } else {
    failed++;
    console.log(`FAILED - ${what}${detail !== undefined ? `: ${JSON.stringify(detail)}` : ''}`);
  }
}

// The node names of the export's glTF, in node order.
function exportedNames(model) {
  const out = join(work, `${basename(model)}.gltf`);
  const result = lodtool(['export', '-q', model, out]);
  if (result.status !== 0) throw new Error(`export of ${model} failed: ${result.stderr}`);
  return (JSON.parse(readFileSync(out, 'utf8')).nodes || []).map((node) => node.name);
}

function writePage(model, page, extra = []) {
  const result = lodtool(['view', ...extra, model, page]);
  if (result.status !== 0) throw new Error(`lodtool view ${model} failed: ${result.stderr}`);
  return result;
}

const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  userDataDir: join(work, 'profile'),
  args: [
    '--no-sandbox',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
    // WebGL without a GPU.
    '--use-angle=swiftshader',
    '--enable-unsafe-swiftshader',
  ],
});

// Opens a page from disk and waits for the viewer. Resolves to the page
// and the console errors it logged.
async function open(file) {
  const page = await browser.newPage();
  await page.setViewport({ width: 960, height: 540 });
  const errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('requestfailed', (request) => errors.push(`request failed: ${request.url()}`));
  // The page holds everything: it may read itself and its own data only.
  page.on('request', (request) => {
    if (!/^(file|data|blob):/.test(request.url())) errors.push(`request to ${request.url()}`);
  });
  await page.goto(pathToFileURL(file).href);
  await page.waitForFunction(() => window.mevloViewer && (window.mevloViewer.ready || window.mevloViewer.error), {
    timeout: 20000,
  });
  return { page, errors };
}

async function treeNames(page) {
  return page.$$eval('.mv-row .mv-name', (names) => names.map((name) => name.textContent));
}

async function clickTreeNode(page, name) {
  const rows = await page.$$('.mv-row');
  for (const row of rows) {
    if ((await row.$eval('.mv-name', (n) => n.textContent)) === name) {
      await row.click();
      return true;
    }
  }
  return false;
}

async function detail(page, key) {
  return page.$eval(`.mv-right tr[data-key="${key}"] td`, (cell) => cell.textContent).catch(() => null);
}

async function canvasImage(page) {
  return page.$eval('.mv-view canvas', (canvas) => canvas.toDataURL('image/png'));
}

try {
  if (run(options['make-models'], [work]).status !== 0) throw new Error('make_view_models failed');
  // Models are named relative to the working folder, as a user would.
  const samples = ['hinge', 'primitives', 'switches', 'transforms'].map((name) => {
    copyFileSync(join(options.source, 'samples', `${name}.lod`), join(work, `${name}.lod`));
    return `${name}.lod`;
  });
  const generated = ['twin_switches.lod', 'no_geometry.lod'];

  // Every model: drawn, its tree as the export names it, no console error.
  for (const model of [...samples, ...generated]) {
    const name = basename(model);
    const pagePath = join(work, name.replace(/\.lod$/, '.html'));
    writePage(model, pagePath);
    const { page, errors } = await open(pagePath);
    const error = await page.evaluate(() => window.mevloViewer.error);
    check(error === null, `${name}: the viewer started`, error);
    const pixels = await page.evaluate(() => window.mevloViewer.modelPixels());
    if (name === 'no_geometry.lod') {
      check(pixels === 0, `${name}: an empty view`, pixels);
      const status = await page.$eval('.mv-status', (s) => s.textContent);
      check(/No geometry/.test(status), `${name}: says it has no geometry`, status);
    } else {
      check(pixels > 500, `${name}: the model is drawn`, pixels);
    }
    const names = await treeNames(page);
    const expected = exportedNames(model);
    check(JSON.stringify([...names].sort()) === JSON.stringify([...expected].sort()), `${name}: the tree lists every node the export names`, { names, expected });
    const info = JSON.parse(lodtool(['info', '--json', model]).stdout);
    const triangles = await detail(page, 'triangles');
    check(triangles === info.triangles.toLocaleString('en-US'), `${name}: the facts show info's triangle count`, triangles);
    check(errors.length === 0, `${name}: no console error`, errors);
    await page.close();
  }

  // The hinge: the window's branches replace each other; clicked nodes
  // show their DOF number; clicked geometry selects its node.
  {
    const { page, errors } = await open(join(work, 'hinge.html'));
    const closed = await page.evaluate(() => window.mevloViewer.visibleMeshNames());
    check(JSON.stringify(closed) === '["0000","0001","0002"]', 'hinge: branch 0 shows the closed window', closed);
    const before = await canvasImage(page);
    await page.select('select[data-switch="1"]', '1');
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    const open1 = await page.evaluate(() => window.mevloViewer.visibleMeshNames());
    check(JSON.stringify(open1) === '["0000","0001","0003"]', 'hinge: branch 1 shows the open window instead', open1);
    check((await canvasImage(page)) !== before, 'hinge: the picture changes with the branch');
    await page.select('select[data-switch="1"]', 'all');
    const all = await page.evaluate(() => window.mevloViewer.visibleMeshNames());
    check(JSON.stringify(all) === '["0000","0001","0002","0003"]', 'hinge: "show all" shows both windows', all);
    await page.select('select[data-switch="1"]', '1');

    check(await clickTreeNode(page, 'DOF 2'), 'hinge: DOF 2 is in the tree');
    check((await detail(page, 'dof')) === '2', 'hinge: the side panel shows DOF 2', await detail(page, 'dof'));
    await clickTreeNode(page, 'DOF 1');
    check((await detail(page, 'dof')) === '1', 'hinge: the side panel shows DOF 1', await detail(page, 'dof'));
    const lit = await page.evaluate(() => window.mevloViewer.highlightedMeshNames());
    check(JSON.stringify(lit) === '["0001","0002","0003"]', 'hinge: DOF 1 highlights the door and both windows', lit);
    check((await detail(page, 'offset')) === '108', 'hinge: the side panel shows the record offset', await detail(page, 'offset'));

    // A click on the middle of the door picks its node.
    await page.evaluate(() => window.mevloViewer.select(null));
    const point = await page.evaluate(() => window.mevloViewer.screenPointOf(1));
    await page.mouse.click(point.x, point.y);
    const selected = await page.$eval('.mv-row.mv-selected .mv-name', (n) => n.textContent).catch(() => null);
    check(selected === 'DOF 1', 'hinge: clicking the door selects DOF 1', selected);

    if (options.screenshot) {
      // The open window swings out behind the door: look from behind.
      await clickTreeNode(page, 'DOF 2');
      await page.evaluate(() => window.mevloViewer.fit({ x: 1, y: 0.75, z: 1.2 }));
      await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
      await page.screenshot({ path: options.screenshot, type: 'png' });
      console.log(`screenshot written: ${options.screenshot}`);
    }
    check(errors.length === 0, 'hinge: no console error', errors);
    await page.close();
  }

  // Two switches of one number follow one selector.
  {
    const { page, errors } = await open(join(work, 'twin_switches.html'));
    const count = await page.$$eval('select[data-switch]', (s) => s.map((e) => e.dataset.switch));
    check(JSON.stringify(count) === '["3","5"]', 'twin switches: one selector per switch number', count);
    const before = await page.evaluate(() => window.mevloViewer.visibleMeshNames());
    await page.select('select[data-switch="3"]', '1');
    const after = await page.evaluate(() => window.mevloViewer.visibleMeshNames());
    check(
      JSON.stringify(before) === '["0000","0001","0003","0005","0006"]' &&
        JSON.stringify(after) === '["0000","0002","0004","0005","0006"]',
      'twin switches: both switches of number 3 change branch',
      { before, after },
    );
    check(errors.length === 0, 'twin switches: no console error', errors);
    await page.close();
  }

  // Names from the file name and the texture pattern are text, never markup;
  // the named image is put into the page and drawn. (Windows file names
  // cannot hold < and >.)
  if (runner.length > 0) {
    console.log('names: skipped under the emulator (Windows file names cannot hold < and >)');
  } else {
    const hostile = '<img src=x onerror="window.pwned=1">';
    const model = `${hostile}.lod`;
    copyFileSync(join(options.source, 'samples', 'hinge.lod'), join(work, model));
    const png = Buffer.from(
      'iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAFklEQVR4nGN4FqChUXGHQWOB24cTGgAnjAXJAdBK9QAAAABJRU5ErkJggg==',
      'base64',
    );
    writeFileSync(join(work, '<script>window.pwned=2<_script>1.png'), png);
    const pagePath = join(work, 'hostile.html');
    writePage(model, pagePath, ['--textures', '<script>window.pwned=2<_script>{n}.png']);
    const { page, errors } = await open(pagePath);
    const title = await page.title();
    check(title === `${hostile}.lod`, 'names: the title is the file name as text', title);
    const file = await detail(page, 'file');
    check(file === model, 'names: the facts show the file name as text', file);
    await clickTreeNode(page, 'DOF 1');
    const primitive = await detail(page, 'primitive-0');
    check(/<script>window\.pwned=2<_script>1\.png/.test(primitive || ''), 'names: the image name shows as text', primitive);
    const injected = await page.evaluate(() => ({
      pwned: window.pwned,
      images: document.querySelectorAll('img').length,
      scripts: document.querySelectorAll('script').length,
    }));
    check(injected.pwned === undefined && injected.images === 0 && injected.scripts === 4, 'names: nothing injected', injected);
    check((await page.evaluate(() => window.mevloViewer.modelPixels())) > 500, 'names: the textured model is drawn');
    check(errors.length === 0, 'names: no console error', errors);
    await page.close();
  }
} catch (error) {
  failed++;
  console.log(`FAILED - ${error.stack || error}`);
} finally {
  await browser.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
