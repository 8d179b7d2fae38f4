// The page's JavaScript face. Controls become Proxies over their ScriptControl,
// so that members read, write and call as in a browser's script engine, while
// unknown names are refused instead of becoming silent expandos.
#include "host/page/page_object.h"

namespace varn::host {

const char* const kPagePrelude = R"js(
(function (native) {
  'use strict';
  const controls = new WeakMap();  // proxy -> ScriptControl

  // Past its time, the page's next call into the host throws where it is.
  function guard() {
    if (native.overtime) throw new Error('the page ran past its time limit');
  }

  function wrap(control) {
    const proxy = new Proxy(Object.create(null), {
      get(target, name) {
        if (typeof name !== 'string') return undefined;
        guard();
        switch (control.kind(name)) {
          case 'method':
            return function (...args) { guard(); return control.call(name, args); };
          case 'property':
          case 'event':
            return control.get(name);
        }
        if (name === 'toString') return () => '[object ' + control.className() + ']';
        return undefined;
      },
      set(target, name, value) {
        guard();
        control.set(String(name), value);
        return true;
      },
      has(target, name) {
        return typeof name === 'string' && control.kind(name) !== '';
      },
    });
    controls.set(proxy, control);
    return proxy;
  }

  function unwrap(proxy) {
    const control = controls.get(proxy);
    if (control === undefined) throw new TypeError('not a control of this page');
    return control;
  }

  function text(args) {
    return Array.prototype.map.call(args, function (value) {
      if (typeof value === 'string') return value;
      try { return JSON.stringify(value) ?? String(value); } catch (e) { return String(value); }
    }).join(' ');
  }

  const page = {
    create(className, width, height) {
      return wrap(native.create(className, width ?? 300, height ?? 300));
    },
    press(control, x, y) { native.mouse(unwrap(control), 'press', x, y); },
    move(control, x, y) { native.mouse(unwrap(control), 'move', x, y); },
    release(control, x, y) { native.mouse(unwrap(control), 'release', x, y); },
    doubleClick(control, x, y) { native.mouse(unwrap(control), 'doubleClick', x, y); },
    rightPress(control, x, y) { native.mouse(unwrap(control), 'rightPress', x, y); },
    // A press at the first point, moves through the others, a release at the last.
    drag(control, points) {
      const native_control = unwrap(control);
      if (points.length === 0) return;
      native.mouse(native_control, 'press', points[0][0], points[0][1]);
      for (let i = 1; i < points.length; ++i) {
        native.mouse(native_control, 'move', points[i][0], points[i][1]);
      }
      const last = points[points.length - 1];
      native.mouse(native_control, 'release', last[0], last[1]);
    },
    resize(control, width, height) { native.resize(unwrap(control), width, height); },
    // A key pressed and let go on the control ('Left', 'PageDown' ...).
    key(control, name, shift) { native.key(unwrap(control), String(name), shift === true); },
    snapshot(control, fileName) { return native.snapshot(unwrap(control), fileName); },
    path(name) { return native.path(name); },
    answerFileDialog(path) { native.answerFileDialog(path === undefined ? null : path); },
    answerMessageBox(button) { native.answerMessageBox(button ?? 1); },
    print(...args) { native.print(text(args)); },
    fail(message) { native.fail(String(message)); },
    section(title) { native.section(title ?? ''); },
    button(label, handler) { return native.button(label, handler ?? null); },
    swatch(color, handler) { return native.swatch(color, handler ?? null); },
    list(title, handler) { return native.list(title ?? '', handler ?? null); },
    label(text) { return native.label(text ?? ''); },
    get siteAddress() { return native.siteAddress; },
    get picturePostAddress() { return native.picturePostAddress; },
    get profilePostAddress() { return native.profilePostAddress; },
    get cookie() { return native.cookie; },
    get fileKey() { return native.fileKey; },
    get outputDir() { return native.outputDir; },
    get scriptDir() { return native.scriptDir; },
    get windowed() { return native.windowed; },
    get interactive() { return native.interactive; },
  };

  for (const name of Object.keys(page)) {
    const descriptor = Object.getOwnPropertyDescriptor(page, name);
    if (typeof descriptor.value !== 'function') continue;
    const call = descriptor.value;
    page[name] = function (...args) { guard(); return call.apply(page, args); };
  }

  const console = {};
  for (const level of ['log', 'info', 'warn', 'error', 'debug']) {
    console[level] = function (...args) { guard(); native.print(text(args)); };
  }
  return { page: Object.freeze(page), console: Object.freeze(console), wrap: wrap };
})
)js";

}  // namespace varn::host
