// The data lodtool put into the page: the model's facts, its binary glTF
// (base64) and the texture images (data: URIs by the URI the glTF names).

function blockText(id) {
  const block = document.getElementById(id);
  return block ? block.textContent : '';
}

function bytesOfBase64(text) {
  // The built-in decoder where the browser has one: several times faster.
  if (typeof Uint8Array.fromBase64 === 'function') return Uint8Array.fromBase64(text.trim());
  const binary = atob(text.replace(/\s+/g, ''));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// The JSON chunk of a GLB: 12-byte header, then the first chunk's length,
// type "JSON" and text.
function glbJson(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  if (bytes.byteLength < 20 || view.getUint32(0, true) !== 0x46546c67 || view.getUint32(16, true) !== 0x4e4f534a) {
    throw new Error('the page holds no binary glTF');
  }
  const length = view.getUint32(12, true);
  return JSON.parse(new TextDecoder().decode(bytes.subarray(20, 20 + length)));
}

export function readPageData() {
  const glb = bytesOfBase64(blockText('mevlo-glb'));
  return {
    facts: JSON.parse(blockText('mevlo-facts') || '{}'),
    images: JSON.parse(blockText('mevlo-images') || '{}'),
    glb,
    gltf: glbJson(glb),
  };
}
