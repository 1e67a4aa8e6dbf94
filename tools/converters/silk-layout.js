'use strict';
// The file layout of a SILK voice message: an optional 0x02 byte (WeChat),
// the text "#!SILK_V3", then blocks of a 2-byte little-endian length and that
// many bytes of coded audio, possibly ended by the length 0xFFFF. QQ stores
// the same without the leading 0x02.

const MAGIC = Buffer.from('#!SILK_V3', 'latin1');
const WECHAT_MARK = 0x02;
const END_MARK = 0xffff;

// The form of a file, judged by its first bytes: 'qq', 'wechat' or null.
function formOf(data) {
  if (data.length >= MAGIC.length && data.subarray(0, MAGIC.length).equals(MAGIC)) return 'qq';
  if (data.length >= MAGIC.length + 1 && data[0] === WECHAT_MARK &&
      data.subarray(1, 1 + MAGIC.length).equals(MAGIC)) {
    return 'wechat';
  }
  return null;
}

// Walks the blocks after the header. Returns { blocks, end } for a sound
// file, end being where the blocks end (before an end mark), or { error }
// with the first fault, positions counted in bytes of the whole file.
function checkBlocks(data) {
  const form = formOf(data);
  if (form === null) return { error: 'not a SILK file (no #!SILK_V3 header)' };
  let pos = (form === 'wechat' ? 1 : 0) + MAGIC.length;
  let blocks = 0;
  while (pos < data.length) {
    if (data.length - pos < 2) {
      return { error: `${data.length - pos} trailing byte(s) at byte ${pos}` };
    }
    const length = data.readUInt16LE(pos);
    if (length === END_MARK) {
      if (pos + 2 !== data.length) {
        return { error: `${data.length - pos - 2} byte(s) after the end mark at byte ${pos}` };
      }
      break;
    }
    if (length === 0) return { error: `empty block at byte ${pos}` };
    if (pos + 2 + length > data.length) {
      return {
        error: `truncated block at byte ${pos} (length ${length}, ` +
               `${data.length - pos - 2} byte(s) left)`,
      };
    }
    blocks += 1;
    pos += 2 + length;
  }
  if (blocks === 0) return { error: 'no audio blocks after the header' };
  return { blocks, end: pos };
}

// The same message in the other form; data must start with a header.
function toWeChatForm(data) {
  return formOf(data) === 'qq' ? Buffer.concat([Buffer.from([WECHAT_MARK]), data]) : data;
}

function toQqForm(data) {
  return formOf(data) === 'wechat' ? data.subarray(1) : data;
}

module.exports = { MAGIC, formOf, checkBlocks, toWeChatForm, toQqForm };
