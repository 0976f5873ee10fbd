// The toolkit's own texts (a text box's context menu, a message's buttons)
// in the user's language, so that a Bulgarian desktop sees "Избиране на
// всичко" and "Добре" where Qt would say "Select All" and "OK".
#pragma once

class QCoreApplication;

namespace vostrel::desktop {

// Installs Qt's translation for the first of the user's UI languages that Qt
// has one for, from Qt's translations folder. Without one (English, or the
// translations not installed) Qt keeps its built-in English. Call it before
// the window is built, so no control has to lay its texts out again.
void UseToolkitTranslation(QCoreApplication& application);

}  // namespace vostrel::desktop
