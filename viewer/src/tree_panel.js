// The node tree as the export names it. Rows of a collapsed node are made
// when it is first opened, so a tree of many thousand nodes costs nothing
// until it is looked at; trees of up to 200 nodes start fully open.
import { element } from './dom.js';

const openAllUpTo = 200;
const chunk = 500;

export class TreePanel {
  constructor(container, gltf, onSelect) {
    this.gltf = gltf;
    this.nodes = gltf.nodes || [];
    this.onSelect = onSelect;
    this.rows = new Map();
    this.items = new Map();
    this.parents = new Map();
    this.selected = null;
    // Whether a node is hidden by a switch (its row is dimmed); set by the page.
    this.isHidden = () => false;
    this.nodes.forEach((node, index) => {
      for (const child of node.children || []) if (!this.parents.has(child)) this.parents.set(child, index);
    });
    const scene = (gltf.scenes || [])[gltf.scene || 0];
    const roots = scene && scene.nodes ? scene.nodes : [];
    this.openDepth = this.nodes.length <= openAllUpTo ? Infinity : 1;
    this.list = element('ul', 'mv-tree');
    this.list.setAttribute('role', 'tree');
    for (const index of roots) this.list.append(this.item(index, 0, new Set()));
    if (roots.length === 0) container.append(element('p', 'mv-empty', 'The model has no nodes.'));
    container.append(this.list);
  }

  item(index, depth, ancestors) {
    const node = this.nodes[index] || {};
    const item = element('li', 'mv-node');
    item.setAttribute('role', 'treeitem');
    const row = element('div', 'mv-row');
    row.dataset.node = String(index);
    if (this.isHidden(index)) row.classList.add('mv-hidden');
    const children = (node.children || []).filter((child) => !ancestors.has(child) && this.nodes[child]);
    const toggle = element('span', 'mv-toggle');
    row.append(toggle);
    row.append(element('span', 'mv-name', node.name !== undefined ? node.name : `node ${index}`));
    if (node.mesh !== undefined) {
      const mesh = (this.gltf.meshes || [])[node.mesh];
      row.append(element('span', 'mv-mesh', mesh && mesh.name !== undefined ? mesh.name : `mesh ${node.mesh}`));
    }
    row.addEventListener('click', (event) => {
      if (event.target === toggle) return;
      this.onSelect(index);
    });
    item.append(row);
    this.rows.set(index, row);
    this.items.set(index, item);
    if (children.length > 0) {
      const list = element('ul', 'mv-children');
      list.setAttribute('role', 'group');
      item.append(list);
      const inner = new Set(ancestors).add(index);
      // Rows are made when first shown, at most `chunk` more at a time: a
      // node may have hundreds of thousands of children.
      let built = 0;
      let more = null;
      const buildUpTo = (position) => {
        const end = Math.min(children.length, Math.max(built + chunk, position + 1));
        if (more) more.remove();
        for (; built < end; built++) list.append(this.item(children[built], depth + 1, inner));
        more = null;
        if (built < children.length) {
          more = element('li', 'mv-more');
          const button = element('button', '', `show ${Math.min(chunk, children.length - built)} more of ${children.length - built}`);
          button.type = 'button';
          button.addEventListener('click', () => buildUpTo(built));
          more.append(button);
          list.append(more);
        }
      };
      const setOpen = (open) => {
        if (open && built === 0) buildUpTo(0);
        item.classList.toggle('mv-open', open);
        item.setAttribute('aria-expanded', String(open));
        toggle.textContent = open ? '\u25be' : '\u25b8';
      };
      toggle.addEventListener('click', () => setOpen(!item.classList.contains('mv-open')));
      // Opens the node and makes the row of one of its children.
      item.reveal = (child) => {
        setOpen(true);
        const position = children.indexOf(child);
        if (position >= built) buildUpTo(position);
      };
      setOpen(depth < this.openDepth);
    }
    return item;
  }

  // Marks the node's row (opening its ancestors) and scrolls to it.
  select(index) {
    if (this.selected !== null && this.rows.has(this.selected)) this.rows.get(this.selected).classList.remove('mv-selected');
    this.selected = index;
    if (index === null) return;
    const path = [index];
    for (let at = this.parents.get(index); at !== undefined && path.length <= this.nodes.length; at = this.parents.get(at))
      path.unshift(at);
    for (let i = 0; i + 1 < path.length; i++) {
      const item = this.items.get(path[i]);
      if (item && item.reveal) item.reveal(path[i + 1]);
    }
    const row = this.rows.get(index);
    if (row) {
      row.classList.add('mv-selected');
      row.scrollIntoView({ block: 'nearest' });
    }
  }
}
