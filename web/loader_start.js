// Runs before Emscripten's loader (--pre-js), which compiles the module while
// it downloads: WebAssembly.instantiateStreaming(fetch("vostrel.wasm"), ...).
(function () {
  var noWebAssembly = document.currentScript.getAttribute("data-no-webassembly");
  var sayNoWebAssembly = function () {
    document.getElementById("Text1_0").value = noWebAssembly;
  };
  // No WebAssembly at all (iOS's Lockdown Mode, some locked-down browsers):
  // the output box says so, in the words the page writer put on this script
  // element, and the loader waits for ever instead of failing.
  if (typeof WebAssembly != "object") {
    sayNoWebAssembly();
    self.WebAssembly = {
      instantiateStreaming: function () {
        return new Promise(function () {});
      },
    };
    return;
  }
  // Where the browser cannot compile while downloading (Safari before 15),
  // it compiles the bytes once fetched; where streaming fails (a server that
  // does not send the module as application/wasm), it fetches them again.
  var streaming = WebAssembly.instantiateStreaming;
  var fromBytes = function (fetched, imports) {
    return fetched
      .then(function (response) {
        return response.arrayBuffer();
      })
      .then(function (bytes) {
        return WebAssembly.instantiate(bytes, imports);
      });
  };
  // A browser that refuses to compile the module says so too: Safari before
  // 16 and Chrome before 97 know no 'wasm-unsafe-eval' in the page's policy.
  // A failed fetch (a TypeError) is no such refusal.
  var refused = function (error) {
    if (!(error instanceof TypeError)) {
      sayNoWebAssembly();
    }
    throw error;
  };
  WebAssembly.instantiateStreaming = function (fetched, imports) {
    if (!streaming) {
      return fromBytes(Promise.resolve(fetched), imports).catch(refused);
    }
    return streaming
      .call(WebAssembly, fetched, imports)
      .catch(function () {
        return fromBytes(fetch("vostrel.wasm"), imports);
      })
      .catch(refused);
  };
})();
