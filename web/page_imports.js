// The page's imported functions (page_imports.h says what each does), linked
// into the loader with --js-library. Plain functions in the syntax of Safari
// 11: the loader must run wherever WebAssembly does.
mergeInto(LibraryManager.library, {
  $pageText: function (pointer, length) {
    return new TextDecoder().decode(HEAPU8.subarray(pointer, pointer + length));
  },
  // Copies what fits; returns the whole length, so a caller can ask again.
  $copyToBuffer: function (text, buffer, capacity) {
    var bytes = new TextEncoder().encode(text);
    HEAPU8.set(bytes.subarray(0, Math.min(bytes.length, capacity)), buffer);
    return bytes.length;
  },
  $pageElement: function (id, idLength) {
    return document.getElementById(pageText(id, idLength));
  },

  vostrel_text__deps: ["$pageElement", "$copyToBuffer"],
  vostrel_text: function (id, idLength, buffer, capacity) {
    var element = pageElement(id, idLength);
    var text = "value" in element ? element.value : element.textContent;
    return copyToBuffer(text, buffer, capacity);
  },
  vostrel_set_text__deps: ["$pageElement", "$pageText"],
  vostrel_set_text: function (id, idLength, text, length, caretToStart) {
    var box = pageElement(id, idLength);
    box.value = pageText(text, length);
    if (caretToStart) {
      box.setSelectionRange(0, 0);
      box.scrollTop = 0;
    }
  },

  vostrel_list_index__deps: ["$pageElement"],
  vostrel_list_index: function (id, idLength) {
    return pageElement(id, idLength).selectedIndex;
  },
  vostrel_set_list_index__deps: ["$pageElement"],
  vostrel_set_list_index: function (id, idLength, index) {
    pageElement(id, idLength).selectedIndex = index;
  },
  vostrel_list_entry__deps: ["$pageElement", "$copyToBuffer"],
  vostrel_list_entry: function (id, idLength, entry, buffer, capacity) {
    var option = entry >= 0 ? pageElement(id, idLength).options[entry] : null;
    return copyToBuffer(option ? option.text : "", buffer, capacity);
  },

  vostrel_announce__deps: ["$pageText"],
  vostrel_announce: function (text, length) {
    document.getElementById("announce").textContent = pageText(text, length);
  },
  // Safari before 15.4 has no dialog element; its alert is modal and read
  // out as the dialog is.
  vostrel_report_overflow__deps: ["$pageText"],
  vostrel_report_overflow: function (text, length) {
    var message = pageText(text, length);
    if (typeof HTMLDialogElement != "function") {
      alert(message);
      return;
    }
    document.getElementById("message-text").textContent = message;
    document.getElementById("message").showModal();
  },
  // Intl refuses a language that is no language tag (WebKitGTK says "C"
  // under LANG=C) with a RangeError; that language writes a point, as the
  // desktop does under C. Reads the separator off a formatted 0.5: Safari
  // before 13 has no formatToParts.
  vostrel_decimal_separator__deps: ["$copyToBuffer"],
  vostrel_decimal_separator: function (buffer, capacity) {
    var separator = ".";
    try {
      separator = new Intl.NumberFormat(navigator.language).format(0.5).slice(1, -1);
    } catch (notALanguageTag) {
      // the point
    }
    return copyToBuffer(separator, buffer, capacity);
  },

  vostrel_start: function (commandCount) {
    var onCommand = function (event) {
      _vostrel_command(Number(event.currentTarget.value));
    };
    for (var i = 0; i < commandCount; ++i) {
      document.getElementById("Command1_" + i).addEventListener("click", onCommand);
    }
    document.getElementById("message-ok").addEventListener("click", function () {
      document.getElementById("message").close();
    });
    // The output box holds the focus when the window opens, also where the
    // browser let its autofocus go.
    if (!document.activeElement || document.activeElement === document.body) {
      document.getElementById("Text1_0").focus();
    }
    // From here on the page answers its commands; tests and the start-up
    // benchmark wait for this mark.
    performance.mark("vostrel-ready");
    if (navigator.serviceWorker) {
      navigator.serviceWorker.register("sw.js");
    }
  },
});
