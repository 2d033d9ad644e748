// Small helpers for building the page. Text always goes in as text
// (textContent), never as markup: names and paths come from the model.

export function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = String(text);
  return node;
}

// A two-column table of [label, value] rows; a row whose value is an
// element keeps it as it is.
export function factTable(rows) {
  const table = element('table', 'mv-facts');
  for (const [label, value, key] of rows) {
    const row = element('tr');
    if (key) row.dataset.key = key;
    row.append(element('th', '', label));
    const cell = element('td');
    if (value instanceof Node) cell.append(value);
    else cell.textContent = String(value);
    row.append(cell);
    table.append(row);
  }
  return table;
}

export function section(title) {
  const box = element('section', 'mv-section');
  box.append(element('h2', '', title));
  const body = element('div', 'mv-section-body');
  box.append(body);
  return { box, body };
}
