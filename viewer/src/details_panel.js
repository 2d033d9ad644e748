// The selected node: its name, the record numbers of its extras.lod, and
// the materials of its mesh.
import { element, factTable } from './dom.js';

function shown(value) {
  if (Array.isArray(value)) return value.map(shown).join(', ');
  if (value !== null && typeof value === 'object') return JSON.stringify(value);
  return String(value);
}

function imageName(gltf, material) {
  const texture = material.pbrMetallicRoughness && material.pbrMetallicRoughness.baseColorTexture;
  const textureDef = texture && gltf.textures ? gltf.textures[texture.index] : undefined;
  const image = textureDef && gltf.images ? gltf.images[textureDef.source] : undefined;
  if (!image || typeof image.uri !== 'string') return '';
  try {
    return decodeURIComponent(image.uri);
  } catch {
    return image.uri;
  }
}

export function showDetails(container, gltf, index) {
  container.replaceChildren();
  const node = index === null ? undefined : (gltf.nodes || [])[index];
  if (!node) {
    container.append(element('p', 'mv-empty', 'Click a node in the tree or a part of the model.'));
    return;
  }
  container.append(element('h3', 'mv-selected-name', node.name !== undefined ? node.name : `node ${index}`));
  const lod = (node.extras && node.extras.lod) || {};
  const rows = Object.keys(lod).map((key) => [key, shown(lod[key]), key]);
  if (rows.length > 0) container.append(factTable(rows));
  if (node.mesh === undefined) return;
  const mesh = (gltf.meshes || [])[node.mesh] || {};
  const meshRows = [['mesh', mesh.name !== undefined ? mesh.name : node.mesh, 'mesh']];
  const modes = { 0: 'points', 1: 'lines', 4: 'triangles' };
  (mesh.primitives || []).forEach((primitive, i) => {
    const material = (gltf.materials || [])[primitive.material] || {};
    const image = imageName(gltf, material);
    const what = `${modes[primitive.mode === undefined ? 4 : primitive.mode] || 'mode ' + primitive.mode}, ${material.name || 'no material'}`;
    meshRows.push([`primitive ${i}`, image ? `${what} (${image})` : what, `primitive-${i}`]);
  });
  container.append(factTable(meshRows));
}
