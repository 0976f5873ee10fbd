// The web page's module: once the page has been parsed, runs Form_Load,
// hands the command buttons' clicks to Command1_Click, and has the browser
// keep the page for use without a network.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>

#include "web/dom.h"
#include "web/form.h"
#include "window/window_description.h"

namespace {

using emscripten::val;

// A button's value is its index in the Command1 group.
void OnCommand(val event) {
  vostrel::web::Command1_Click(std::stoi(event["currentTarget"]["value"].as<std::string>()));
}

void OnMessageClosed(val) {
  vostrel::web::ElementById("message").call<void>("close");
}

void Listen(val target, const char* handler) {
  target.call<void>("addEventListener", std::string("click"), val::module_property(handler));
}

}  // namespace

EMSCRIPTEN_BINDINGS(vostrel_page) {
  emscripten::function("OnCommand", &OnCommand);
  emscripten::function("OnMessageClosed", &OnMessageClosed);
}

int main() {
  vostrel::web::Form_Load();
  for (std::size_t i = 0; i < vostrel::window::kCommandTexts.size(); ++i) {
    Listen(vostrel::web::Control("Command1", i), "OnCommand");
  }
  Listen(vostrel::web::ElementById("message-ok"), "OnMessageClosed");

  // The output box holds the focus when the window opens, also where the
  // browser let its autofocus go.
  const val document = val::global("document");
  if (document["activeElement"].strictlyEquals(document["body"])) {
    vostrel::web::Control("Text1", 0).call<void>("focus");
  }

  // From here on the page answers its commands; tests and the start-up
  // benchmark wait for this mark.
  val::global("performance").call<void>("mark", std::string("vostrel-ready"));

  const val navigator = val::global("navigator");
  if (!navigator["serviceWorker"].isUndefined()) {
    navigator["serviceWorker"].call<val>("register", std::string("sw.js"));
  }
  return 0;
}
