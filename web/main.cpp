// The web page's module: once the page has been parsed, runs Form_Load on the
// page's controls, then hands the command buttons' clicks to Command1_Click
// and has the page say it is ready (page_imports.h, vostrel_start).
#include <emscripten/emscripten.h>

#include "web/page_imports.h"
#include "web/page_runtime.h"
#include "window/form_procedures.h"
#include "window/window_description.h"

namespace {

vostrel::web::PageRuntime page;

}  // namespace

// A click of Command1(index), from the page's script.
extern "C" EMSCRIPTEN_KEEPALIVE void vostrel_command(int index) {
  vostrel::window::Command1_Click(page, index);
}

int main() {
  vostrel::window::Form_Load(page);
  vostrel_start(vostrel::window::kCommandTexts.size());
  return 0;
}
