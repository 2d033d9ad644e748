// Colours by texture number, the same for a number on every page: hues a
// golden-ratio step apart, so that neighbouring numbers differ clearly.
import { Color } from 'three';

const untextured = new Color(0xb4b4b4);

export function textureColor(texture) {
  if (!Number.isInteger(texture) || texture < 0) return untextured.clone();
  const hue = (texture * 0.6180339887) % 1;
  return new Color().setHSL(hue, 0.55, 0.58);
}
