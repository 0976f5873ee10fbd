// What the page's script (page_imports.js) does for the runtime: the few DOM
// operations it needs, on the elements the page writer wrote (ids such as
// "List1_0", "Text2_3", "Text1_0"; see web/page_writer/page_files.h).
//
// Ids and texts cross as UTF-8, a pointer and a length in bytes. A function
// that reads a text copies at most `capacity` bytes of it into `buffer`, never
// more, and returns the text's whole length: a caller whose buffer was too
// short asks again with one long enough.
#pragma once

#include <cstddef>

extern "C" {

// The element's text: a text box's value, any other element's text content.
std::size_t vostrel_text(const char* id, std::size_t idLength, char* buffer, std::size_t capacity);
// Sets a text box's value; with `caretToStart`, puts the caret at the start
// and scrolls to the top.
void vostrel_set_text(const char* id, std::size_t idLength, const char* text, std::size_t length,
                      bool caretToStart);

// A list's selected entry (-1 for none), its selection, and an entry's text
// ("" for an entry the list lacks).
int vostrel_list_index(const char* id, std::size_t idLength);
void vostrel_set_list_index(const char* id, std::size_t idLength, int index);
std::size_t vostrel_list_entry(const char* id, std::size_t idLength, int entry, char* buffer,
                               std::size_t capacity);

// Puts the text in the page's polite live region, for a screen reader to say.
void vostrel_announce(const char* text, std::size_t length);
// Shows the message in the page's modal dialog, or in the browser's own
// alert where the browser has no dialog element.
void vostrel_report_overflow(const char* text, std::size_t length);
// The decimal separator of the browser's language; "." where the browser's
// language is no language tag (WebKitGTK under LANG=C says "C").
std::size_t vostrel_decimal_separator(char* buffer, std::size_t capacity);

// Hands the clicks of the commands Command1_0 ... Command1_{commandCount - 1}
// to vostrel_command (main.cpp), closes the dialog at its OK, gives the
// output box the focus where nothing has it, sets the performance mark
// "vostrel-ready" and registers the service worker.
void vostrel_start(std::size_t commandCount);

}  // extern "C"
