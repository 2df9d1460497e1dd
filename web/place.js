// SPDX-License-Identifier: Apache-2.0
'use strict';
// Whether the page can work where it was opened, from what the browser tells of the place:
// 'framed' inside a frame of another origin (which could use the ports granted to the page),
// 'insecure' outside a secure context (plain http from a host name: no Web Serial there),
// 'unsupported' in a browser without Web Serial, or null. No DOM here.
const Place = (() => {
  function obstacle(win) {
    let framed = false;
    try {
      framed = win.top !== win.self && win.top.location.origin !== win.location.origin;
    } catch (error) {
      framed = true;  // another origin's window cannot even be read
    }
    if (framed) return 'framed';
    if (!win.isSecureContext) return 'insecure';
    if (!('serial' in win.navigator)) return 'unsupported';
    return null;
  }

  // Served over https or from localhost the page installs and works offline; opened from disk
  // it is a plain page (the browser refuses manifests and workers from file://).
  function installable(location) {
    return location.protocol === 'https:' || ['localhost', '127.0.0.1', '[::1]'].includes(location.hostname);
  }

  return { obstacle, installable };
})();
if (typeof module !== 'undefined') module.exports = Place;
