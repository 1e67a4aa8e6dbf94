'use strict';
// The SILK codec of the converters: the pinned silk-wasm package from this
// folder's node_modules, at the one sample rate the converters use.
const path = require('path');
const { reasonOf } = require('./file-io.js');

const SAMPLE_RATE = 24000;
const PACKAGE_DIR = path.join(__dirname, 'node_modules', 'silk-wasm');

// Loads the package, or gives a reason that tells how to install it.
function loadCodec() {
  try {
    return { codec: require(PACKAGE_DIR) };
  } catch (e) {
    if (e && e.code === 'MODULE_NOT_FOUND') {
      return { error: `silk-wasm is not installed in ${path.dirname(PACKAGE_DIR)} ` +
                      `(run tools/converters/install-node-packages)` };
    }
    return { error: `cannot load silk-wasm: ${reasonOf(e)}` };
  }
}

module.exports = { SAMPLE_RATE, loadCodec };
