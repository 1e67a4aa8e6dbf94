'use strict';
// Whole-file reads and writes for the converters, with one-line reasons on
// failure. A written file appears complete or not at all: the data goes to a
// temporary name beside the target, which is renamed over it at the end.
const fs = require('fs');
const path = require('path');

const REASONS = {
  ENOENT: 'no such file or folder',
  ENOTDIR: 'a part of the path is not a folder',
  EISDIR: 'is a folder',
  EACCES: 'permission denied',
  EPERM: 'permission denied',
  ENOSPC: 'no space left on the device',
  EROFS: 'read-only file system',
};

function reasonOf(e) {
  if (e && REASONS[e.code]) return REASONS[e.code];
  const text = e && e.message ? e.message : String(e);
  return text.replace(/\s+/g, ' ').trim();
}

// { data } or { error }.
function readWhole(file) {
  try {
    return { data: fs.readFileSync(file) };
  } catch (e) {
    return { error: `cannot read: ${reasonOf(e)}` };
  }
}

// null on success, else the reason.
function writeWhole(file, data) {
  const temp = path.join(path.dirname(file), `.${path.basename(file)}.${process.pid}.tmp`);
  try {
    fs.writeFileSync(temp, data, { flag: 'wx' });
    fs.renameSync(temp, file);
    return null;
  } catch (e) {
    try { fs.unlinkSync(temp); } catch (ignored) { /* never created */ }
    return `cannot write: ${reasonOf(e)}`;
  }
}

module.exports = { readWhole, writeWhole, reasonOf };
