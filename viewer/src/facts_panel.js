// The facts of `lodtool info` about the model: counts, whether mevlo
// converts it to 3DS, the numbers it is driven by, textures and bounds.
import { element, factTable } from './dom.js';

const maxListed = 40;

function list(values) {
  if (!Array.isArray(values) || values.length === 0) return 'none';
  const shown = values.slice(0, maxListed).join(', ');
  return values.length > maxListed ? `${shown}, ... (${values.length - maxListed} more)` : shown;
}

function number(value) {
  return typeof value === 'number' ? value.toLocaleString('en-US', { maximumFractionDigits: 4 }) : '-';
}

function bounds(box) {
  if (!box) return 'none';
  const triple = (v) => v.map(number).join(', ');
  return `min (${triple(box.min)}), max (${triple(box.max)}), size (${triple(box.size)})`;
}

export function showFacts(container, facts) {
  const sum = (object) => Object.values(object || {}).reduce((a, b) => a + b, 0);
  const problems = Object.entries(facts.problems || {}).filter(([, count]) => count > 0);
  const used = facts.textures && facts.textures.used ? facts.textures.used : {};
  const switches = (facts.switches || []).map((s) => `${s.id} (${s.type}, ${s.branches} branches)`);
  container.append(
    factTable([
      ['file', facts.file, 'file'],
      ['bytes', number(facts.bytes), 'bytes'],
      ['nodes', `${number(facts.nodesBuilt)} built of ${number(facts.nodeCount)}`, 'nodes'],
      ['primitives', number(sum(facts.primitivesByType)), 'primitives'],
      ['containers', number(facts.containers), 'containers'],
      ['meshes', number(facts.meshes), 'meshes'],
      ['vertices', number(facts.vertices), 'vertices'],
      ['triangles', number(facts.triangles), 'triangles'],
      ['dropped faces', number(facts.droppedFaces), 'droppedFaces'],
      ['points', number(facts.points), 'points'],
      ['line segments', number(facts.lineSegments), 'lineSegments'],
      ['3DS', facts.convertsTo3ds ? 'mevlo converts it' : facts.tooLarge || 'no', 'convertsTo3ds'],
      ['DOFs', list(facts.dofs), 'dofs'],
      ['switches', list(switches), 'switches'],
      ['slots', list(facts.slots), 'slots'],
      ['textures used', list(Object.keys(used).map((n) => `${n} (${used[n]})`)), 'texturesUsed'],
      ["Root's textures", list(facts.textures && facts.textures.root), 'texturesRoot'],
      ['bounds (glTF)', bounds(facts.boundsGltf), 'bounds'],
      ['problems', problems.length ? problems.map(([k, v]) => `${k} ${v}`).join(', ') : 'none', 'problems'],
    ]),
  );
  if (facts.textures && Array.isArray(facts.textures.notInRoot) && facts.textures.notInRoot.length > 0) {
    container.append(element('p', 'mv-note', `Used but not in the Root's list: ${list(facts.textures.notInRoot)}`));
  }
}
