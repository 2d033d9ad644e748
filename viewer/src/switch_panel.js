// One branch selector per switch number: every Switch and XSwitch node of
// that number shows the chosen branch only, as the simulator shows one
// branch at a time; "show all" shows every branch at once.
import { element } from './dom.js';

export class SwitchPanel {
  constructor(container, gltf, nodeObjects, onChange) {
    const nodes = gltf.nodes || [];
    this.groups = new Map();
    nodes.forEach((node, index) => {
      const lod = node.extras && node.extras.lod;
      if (!lod || !Number.isInteger(lod.switch)) return;
      if (!this.groups.has(lod.switch)) this.groups.set(lod.switch, { nodes: [], branches: 0 });
      const group = this.groups.get(lod.switch);
      group.nodes.push(index);
      group.branches = Math.max(group.branches, Number.isInteger(lod.branchCount) ? lod.branchCount : 0);
    });
    this.nodes = nodes;
    this.nodeObjects = nodeObjects;
    this.onChange = onChange;
    if (this.groups.size === 0) {
      container.append(element('p', 'mv-empty', 'The model has no switches.'));
      return;
    }
    const numbers = [...this.groups.keys()].sort((a, b) => a - b);
    for (const number of numbers) {
      const group = this.groups.get(number);
      const label = element('label', 'mv-switch');
      const count = group.nodes.length === 1 ? '' : ` (${group.nodes.length} nodes)`;
      label.append(element('span', '', `Switch ${number}${count}`));
      const select = element('select');
      select.dataset.switch = String(number);
      for (let branch = 0; branch < Math.max(group.branches, 1); branch++) {
        const option = element('option', '', `branch ${branch}`);
        option.value = String(branch);
        select.append(option);
      }
      const all = element('option', '', 'show all');
      all.value = 'all';
      select.append(all);
      select.addEventListener('change', () => this.show(number, select.value));
      label.append(select);
      container.append(label);
      this.show(number, '0');
    }
  }

  // Shows one branch ('0', '1', ...) or 'all' of every switch of a number.
  show(number, choice) {
    const group = this.groups.get(number);
    if (!group) return;
    for (const index of group.nodes) {
      for (const child of this.nodes[index].children || []) {
        const object = this.nodeObjects[child];
        const lod = this.nodes[child] && this.nodes[child].extras && this.nodes[child].extras.lod;
        if (!object || !lod || !Number.isInteger(lod.branch)) continue;
        object.visible = choice === 'all' || String(lod.branch) === choice;
      }
    }
    if (this.onChange) this.onChange();
  }
}
