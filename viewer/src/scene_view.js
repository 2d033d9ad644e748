// The 3-D view: renderer, camera with orbit controls, a light that follows
// the camera, a ground grid for scale, fitting the camera to what is shown,
// picking and highlighting. It draws on demand, not in a loop.
import {
  Box3,
  Color,
  DirectionalLight,
  GridHelper,
  HemisphereLight,
  PerspectiveCamera,
  Raycaster,
  Scene,
  Vector2,
  Vector3,
  WebGLRenderer,
} from 'three';
import { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';

const backgroundHex = 0xeef0f3;
const backgroundColor = new Color(backgroundHex);
const highlightColor = new Color(0xff7a00);

// Where the camera looks from: the model's front right (LOD x forward and
// y right are glTF -z and x), a little above.
const viewDirection = new Vector3(0.9, 0.65, -1.1).normalize();

function visibleInWorld(object) {
  for (let o = object; o; o = o.parent) if (!o.visible) return false;
  return true;
}

// A round grid size: 1, 2 or 5 times a power of ten, at least `size`.
function roundUp(size) {
  const power = 10 ** Math.floor(Math.log10(size));
  for (const step of [1, 2, 5, 10]) if (step * power >= size) return step * power;
  return 10 * power;
}

export class SceneView {
  // antialias: smooth edges (costly for very large models without a GPU).
  constructor(container, antialias) {
    this.container = container;
    // The drawing buffer is kept so that the page can be captured.
    this.renderer = new WebGLRenderer({ antialias, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(window.devicePixelRatio || 1);
    this.renderer.setClearColor(backgroundColor);
    container.append(this.renderer.domElement);

    this.scene = new Scene();
    this.camera = new PerspectiveCamera(45, 1, 0.01, 1000);
    this.camera.position.set(6, 5, 8);
    this.scene.add(this.camera);
    this.scene.add(new HemisphereLight(0xffffff, 0x8a8070, 1.6));
    const light = new DirectionalLight(0xffffff, 1.8);
    light.position.set(0.5, 1, 0.8);
    this.camera.add(light);
    this.camera.add(light.target);
    light.target.position.set(0, 0, -1);

    this.controls = new OrbitControls(this.camera, this.renderer.domElement);
    this.controls.addEventListener('change', () => this.requestRender());

    this.grid = null;
    this.drawables = [];
    this.highlighted = [];
    this.highlightMaterials = new Map();
    this.onPick = null;
    this.pending = false;

    this.watchSize();
    this.watchClicks();
  }

  watchSize() {
    let size = '';
    const resize = () => {
      const width = Math.max(1, this.container.clientWidth);
      const height = Math.max(1, this.container.clientHeight);
      // The observer also reports sizes that did not change; a large model
      // is not drawn again for nothing.
      if (`${width}x${height}` === size) return;
      size = `${width}x${height}`;
      this.renderer.setSize(width, height, false);
      this.camera.aspect = width / height;
      this.camera.updateProjectionMatrix();
      this.requestRender();
    };
    new ResizeObserver(resize).observe(this.container);
    resize();
  }

  // A click that did not move (a drag orbits) picks what is under it.
  watchClicks() {
    const canvas = this.renderer.domElement;
    let down = null;
    canvas.addEventListener('pointerdown', (event) => {
      down = { x: event.clientX, y: event.clientY };
    });
    canvas.addEventListener('pointerup', (event) => {
      if (!down || Math.hypot(event.clientX - down.x, event.clientY - down.y) > 4) return;
      down = null;
      const node = this.pick(event.clientX, event.clientY);
      if (this.onPick) this.onPick(node);
    });
  }

  setModel(model) {
    this.model = model;
    this.drawables = model.drawables;
    this.scene.add(model.root);
    this.scene.updateMatrixWorld(true);
    const box = this.boundsOf(this.drawables);
    this.modelBox = box.isEmpty() ? new Box3(new Vector3(-1, 0, -1), new Vector3(1, 1, 1)) : box;
    this.placeGrid();
    this.fit();
  }

  placeGrid() {
    const box = this.modelBox;
    const size = box.getSize(new Vector3());
    const center = box.getCenter(new Vector3());
    const extent = roundUp(Math.max(size.x, size.z, 1e-6) * 1.5);
    this.grid = new GridHelper(extent, 10, 0x8d939c, 0xc5cad1);
    this.grid.position.set(center.x, box.min.y, center.z);
    this.scene.add(this.grid);
  }

  boundsOf(objects) {
    const box = new Box3();
    const part = new Box3();
    for (const object of objects) {
      const geometry = object.geometry;
      if (!geometry.boundingBox) geometry.computeBoundingBox();
      if (geometry.boundingBox.isEmpty()) continue;
      part.copy(geometry.boundingBox).applyMatrix4(object.matrixWorld);
      box.union(part);
    }
    return box;
  }

  shown(object) {
    return visibleInWorld(object);
  }

  visibleDrawables() {
    return this.drawables.filter(visibleInWorld);
  }

  // Moves the camera so that everything shown fills the view, looking from
  // the given direction (default: the model's front right).
  fit(direction) {
    if (direction) this.direction = new Vector3(direction.x, direction.y, direction.z).normalize();
    this.scene.updateMatrixWorld(true);
    let box = this.boundsOf(this.visibleDrawables());
    if (box.isEmpty()) box = this.modelBox;
    const center = box.getCenter(new Vector3());
    const radius = Math.max(box.getSize(new Vector3()).length() / 2, 1e-3);
    const halfAngle = (Math.PI / 180) * (this.camera.fov / 2);
    // The box's sphere is larger than the box seen from most sides.
    const distance = (radius / Math.sin(Math.min(halfAngle, halfAngle * this.camera.aspect))) * 0.85;
    this.camera.position.copy(center).addScaledVector(this.direction || viewDirection, distance);
    this.camera.near = distance / 100;
    this.camera.far = distance * 100;
    this.camera.updateProjectionMatrix();
    this.controls.target.copy(center);
    this.controls.update();
    this.requestRender();
  }

  // The glTF node of the visible geometry at a point of the window, or null.
  pick(clientX, clientY) {
    const rect = this.renderer.domElement.getBoundingClientRect();
    const pointer = new Vector2(
      ((clientX - rect.left) / rect.width) * 2 - 1,
      -((clientY - rect.top) / rect.height) * 2 + 1,
    );
    const raycaster = new Raycaster();
    const size = this.modelBox ? this.modelBox.getSize(new Vector3()).length() : 1;
    raycaster.params.Points.threshold = size / 200;
    raycaster.params.Line.threshold = size / 200;
    raycaster.setFromCamera(pointer, this.camera);
    const hits = raycaster.intersectObjects(this.visibleDrawables(), false);
    return hits.length > 0 ? hits[0].object.userData.node : null;
  }

  // The window point of the middle of a node's own geometry, or null.
  screenPointOf(index) {
    const own = this.drawables.filter((part) => part.userData.node === index);
    const box = this.boundsOf(own);
    if (box.isEmpty()) return null;
    const point = box.getCenter(new Vector3()).project(this.camera);
    const rect = this.renderer.domElement.getBoundingClientRect();
    return { x: rect.left + ((point.x + 1) / 2) * rect.width, y: rect.top + ((1 - point.y) / 2) * rect.height };
  }

  highlightMaterial(base) {
    let material = this.highlightMaterials.get(base);
    if (!material) {
      material = base.clone();
      if (material.emissive) {
        material.emissive = highlightColor.clone();
        material.emissiveIntensity = 0.45;
      } else {
        material.color = highlightColor.clone();
      }
      this.highlightMaterials.set(base, material);
    }
    return material;
  }

  // Highlights the geometry of a node and of everything below it.
  highlight(object) {
    for (const part of this.highlighted) part.material = part.userData.baseMaterial;
    this.highlighted = [];
    if (object) {
      object.traverse((part) => {
        if (part.userData.baseMaterial) {
          part.material = this.highlightMaterial(part.userData.baseMaterial);
          this.highlighted.push(part);
        }
      });
    }
    this.requestRender();
  }

  // Draws at the next frame; several requests before it draw once.
  requestRender() {
    if (this.pending) return;
    this.pending = true;
    requestAnimationFrame(() => {
      if (this.pending) this.renderNow();
    });
  }

  renderNow() {
    this.pending = false;
    this.renderer.render(this.scene, this.camera);
  }

  // Resolves once the next frame is drawn and finished.
  drawn() {
    return new Promise((resolve) => {
      this.requestRender();
      requestAnimationFrame(() => {
        if (this.pending) this.renderNow();
        const gl = this.renderer.getContext();
        gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
        resolve();
      });
    });
  }

  // Pixels of the model that differ from the background, drawn without
  // the grid (for checks of the page).
  modelPixels() {
    const gridShown = this.grid ? this.grid.visible : false;
    if (this.grid) this.grid.visible = false;
    this.renderNow();
    const gl = this.renderer.getContext();
    const width = gl.drawingBufferWidth;
    const height = gl.drawingBufferHeight;
    const pixels = new Uint8Array(width * height * 4);
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
    if (this.grid) this.grid.visible = gridShown;
    this.renderNow();
    const background = [(backgroundHex >> 16) & 255, (backgroundHex >> 8) & 255, backgroundHex & 255];
    let count = 0;
    for (let i = 0; i < pixels.length; i += 4) {
      const d =
        Math.abs(pixels[i] - background[0]) + Math.abs(pixels[i + 1] - background[1]) + Math.abs(pixels[i + 2] - background[2]);
      if (d > 6) count++;
    }
    return count;
  }
}
