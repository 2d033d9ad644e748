// The model's glTF as three.js objects, and which object is which glTF node
// and mesh. Materials are replaced so that every face is seen: both sides
// drawn, flat shading where the export wrote no normals, and, unless the
// texture's image is in the page, a colour by texture number.
import {
  DoubleSide,
  LineBasicMaterial,
  LoadingManager,
  MeshLambertMaterial,
  PointsMaterial,
} from 'three';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';
import { textureColor } from './palette.js';

// A 1x1 transparent PNG for images the page does not hold: the loader asks
// for them, and nothing may be fetched.
const blankImage =
  'data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAQAAAC1HAwCAAAAC0lEQVR42mNkYAAAAAYAAjCB0C8AAAAASUVORK5CYII=';

function isDrawable(object) {
  return object.isMesh || object.isPoints || object.isLine;
}

function parseGlb(glb, images) {
  const manager = new LoadingManager();
  manager.setURLModifier((url) => images[url] || (url.startsWith('data:') || url.startsWith('blob:') ? url : blankImage));
  const loader = new GLTFLoader(manager);
  const whole = glb.byteOffset === 0 && glb.byteLength === glb.buffer.byteLength;
  const buffer = whole ? glb.buffer : glb.buffer.slice(glb.byteOffset, glb.byteOffset + glb.byteLength);
  return new Promise((resolve, reject) => loader.parse(buffer, '', resolve, reject));
}

function textureNumber(material) {
  const lod = material && material.userData && material.userData.lod;
  return lod && Number.isInteger(lod.texture) ? lod.texture : -1;
}

class MaterialCache {
  constructor() {
    this.made = new Map();
  }

  colouredFor(object, texture) {
    const kind = object.isPoints ? 'points' : object.isLine ? 'line' : 'mesh';
    const flat = kind === 'mesh' && !object.geometry.getAttribute('normal');
    const key = `${kind} ${texture} ${flat}`;
    let material = this.made.get(key);
    if (!material) {
      const color = textureColor(texture, kind !== 'mesh');
      if (kind === 'points') material = new PointsMaterial({ color, size: 5, sizeAttenuation: false });
      else if (kind === 'line') material = new LineBasicMaterial({ color });
      else material = new MeshLambertMaterial({ color, side: DoubleSide, flatShading: flat });
      material.userData.texture = texture;
      this.made.set(key, material);
    }
    return material;
  }
}

// Whether the image of the material's texture is in the page.
function hasImage(material, parser, gltf, images) {
  if (!material.map) return false;
  const mapping = parser.associations.get(material.map);
  const textureDef = mapping && gltf.textures ? gltf.textures[mapping.textures] : undefined;
  const imageDef = textureDef && gltf.images ? gltf.images[textureDef.source] : undefined;
  return Boolean(imageDef && images[imageDef.uri]);
}

// Loads the model. Resolves to { root, nodeObjects, drawables }: the scene
// group, the object of each glTF node (by index) and every drawn object,
// each with userData.node (the glTF node it belongs to) and userData.mesh.
export async function loadModel(glb, gltf, images) {
  const loaded = await parseGlb(glb, images);
  const parser = loaded.parser;
  const root = loaded.scene || loaded.scenes[0];
  const nodeObjects = new Array((gltf.nodes || []).length).fill(null);
  root.traverse((object) => {
    const mapping = parser.associations.get(object);
    if (mapping && mapping.nodes !== undefined) {
      object.userData.node = mapping.nodes;
      nodeObjects[mapping.nodes] = object;
    }
  });

  const cache = new MaterialCache();
  const drawables = [];
  nodeObjects.forEach((object, index) => {
    if (!object) return;
    const nodeDef = gltf.nodes[index];
    if (nodeDef.mesh === undefined) return;
    // One primitive: the node's object is the mesh; several: they are its
    // children that are no glTF node of their own.
    const parts = isDrawable(object)
      ? [object]
      : object.children.filter((child) => isDrawable(child) && child.userData.node === undefined);
    for (const part of parts) {
      part.userData.node = index;
      part.userData.mesh = nodeDef.mesh;
      const material = part.material;
      if (part.isMesh && hasImage(material, parser, gltf, images)) {
        material.side = DoubleSide;
      } else {
        part.material = cache.colouredFor(part, textureNumber(material));
      }
      part.userData.baseMaterial = part.material;
      drawables.push(part);
    }
  });
  return { root, nodeObjects, drawables };
}
