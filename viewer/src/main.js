// The page of `lodtool view`: reads the data lodtool put into the page and
// shows the model, its tree, switch selectors, facts and the selected
// node's record numbers.
import './viewer.css';
import { element, section } from './dom.js';
import { readPageData } from './page_data.js';
import { loadModel } from './model_loader.js';
import { SceneView } from './scene_view.js';
import { TreePanel } from './tree_panel.js';
import { SwitchPanel } from './switch_panel.js';
import { showDetails } from './details_panel.js';
import { showFacts } from './facts_panel.js';

function layout() {
  const app = element('div', 'mv-app');
  const left = element('aside', 'mv-side mv-left');
  const middle = element('main', 'mv-middle');
  const right = element('aside', 'mv-side mv-right');
  const tree = section('Nodes');
  const switches = section('Switches');
  const details = section('Selected');
  const facts = section('Facts');
  left.append(tree.box, switches.box);
  right.append(details.box, facts.box);
  const toolbar = element('div', 'mv-toolbar');
  const fit = element('button', 'mv-fit', 'Fit');
  fit.type = 'button';
  fit.title = 'Show everything that is shown in the view';
  const status = element('span', 'mv-status', 'Loading...');
  toolbar.append(fit, status);
  const view = element('div', 'mv-view');
  middle.append(toolbar, view);
  app.append(left, middle, right);
  document.body.append(app);
  return { tree: tree.body, switches: switches.body, details: details.body, facts: facts.body, fit, status, view };
}

function describe(facts, drawn) {
  if (drawn === 0) return 'No geometry: the model has nothing to draw.';
  const parts = [`${(facts.triangles || 0).toLocaleString('en-US')} triangles`];
  if (facts.points) parts.push(`${facts.points.toLocaleString('en-US')} points`);
  if (facts.lineSegments) parts.push(`${facts.lineSegments.toLocaleString('en-US')} line segments`);
  return `${parts.join(', ')}. Drag to turn, right-drag to move, wheel to zoom, click to select.`;
}

async function start() {
  // What a script (or a test) can ask the page.
  // timings: milliseconds since the page began loading at each step.
  const hook = { ready: false, error: null, timings: {} };
  const mark = (step) => {
    hook.timings[step] = Math.round(performance.now());
  };
  mark('script');
  window.mevloViewer = hook;
  const ui = layout();
  const data = readPageData();
  mark('decoded');
  showFacts(ui.facts, data.facts);
  showDetails(ui.details, data.gltf, null);

  // The tree and the facts work without the 3-D view.
  let view = null;
  let model = null;
  const select = (index) => {
    tree.select(index);
    showDetails(ui.details, data.gltf, index);
    if (model) view.highlight(index === null ? null : model.nodeObjects[index]);
  };
  const tree = new TreePanel(ui.tree, data.gltf, select);
  try {
    // Past a million triangles, edges are not smoothed: a machine without
    // a GPU would take seconds per picture.
    view = new SceneView(ui.view, (data.facts.triangles || 0) <= 1000000);
  } catch (error) {
    new SwitchPanel(ui.switches, data.gltf, [], null);
    console.error(error);
    throw new Error('this browser cannot draw in 3-D (WebGL is not available); the tree and the facts are shown');
  }
  model = await loadModel(data.glb, data.gltf, data.images);
  mark('parsed');
  view.setModel(model);

  // Rows of nodes that a switch hides are dimmed.
  tree.isHidden = (index) => Boolean(model.nodeObjects[index]) && !view.shown(model.nodeObjects[index]);
  const switched = () => {
    for (const [index, row] of tree.rows) row.classList.toggle('mv-hidden', tree.isHidden(index));
    view.requestRender();
  };
  new SwitchPanel(ui.switches, data.gltf, model.nodeObjects, switched);
  switched();
  view.onPick = select;
  ui.fit.addEventListener('click', () => view.fit());
  ui.status.textContent = describe(data.facts, model.drawables.length);
  view.fit();
  await view.drawn();
  mark('drawn');

  const meshName = (part) => {
    const mesh = (data.gltf.meshes || [])[part.userData.mesh];
    return mesh && mesh.name !== undefined ? mesh.name : String(part.userData.mesh);
  };
  Object.assign(hook, {
    // Names of the glTF meshes drawn now (switch branches hidden left out).
    visibleMeshNames: () => [...new Set(view.visibleDrawables().map(meshName))].sort(),
    // Names of the glTF meshes highlighted as the selection.
    highlightedMeshNames: () => [...new Set(view.highlighted.map(meshName))].sort(),
    modelPixels: () => view.modelPixels(),
    screenPointOf: (index) => view.screenPointOf(index),
    select,
    // Fits the view, looking from {x, y, z} when given.
    fit: (direction) => view.fit(direction),
  });
  hook.ready = true;
}

start().catch((error) => {
  if (window.mevloViewer) window.mevloViewer.error = String(error && error.message ? error.message : error);
  const status = document.querySelector('.mv-status');
  if (status) {
    status.textContent = `The model could not be shown: ${window.mevloViewer.error}`;
    status.title = status.textContent;
  }
  console.error(error);
});
