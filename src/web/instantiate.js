// SPDX-License-Identifier: Apache-2.0
// The module is embedded in vireo-core.js (a page opened from disk may not fetch a .wasm file).
// Instantiated straight from its bytes: the loader would otherwise fetch() its own data: URL
// first, which the page's Content-Security-Policy (connect-src 'self') rightly refuses.
Module['instantiateWasm'] = function (imports, receiveInstance) {
  WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), imports)
    .then(function (result) { receiveInstance(result.instance, result.module); })
    .catch(function (reason) { readyPromiseReject(reason); });
  return {};
};
