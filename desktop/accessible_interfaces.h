// The program's own accessibility interfaces, in place of Qt's generic ones:
// the window presents itself as an application window, each quantity list
// as a list of all its entries (quantity_list_accessible.h), each price box
// through its own text interface (price_box.h).
//
// Qt asks its accessibility factories for every object of the process, so
// they are installed once, where the application starts, and by any test
// that builds the window without the program's main().
#pragma once

namespace vostrel::desktop {

// Installs the program's accessibility factories; calling it again changes
// nothing. Call it before the window is shown, so that no control has been
// given Qt's generic interface first.
void InstallAccessibleInterfaces();

}  // namespace vostrel::desktop
