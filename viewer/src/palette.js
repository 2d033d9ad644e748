// Colours by texture number, the same for a number on every page: hues a
// golden-ratio step apart, so that neighbouring numbers differ clearly.
import { Color } from 'three';

const untextured = new Color(0xb4b4b4);
// Untextured points and lines are darker, to stand out on faces.
const untexturedMarks = new Color(0x3c4650);

export function textureColor(texture, mark = false) {
  if (!Number.isInteger(texture) || texture < 0) return (mark ? untexturedMarks : untextured).clone();
  const hue = (texture * 0.6180339887) % 1;
  return new Color().setHSL(hue, 0.55, 0.58);
}
