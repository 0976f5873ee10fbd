// Linked into the window tests of the Windows build. Qt's offscreen platform
// on Windows draws with the font files it is given (QT_QPA_FONTDIR: Liberation
// 2 under Wine) and knows none of the system's font substitutions, so the
// window's Times New Roman would fall back to whichever family comes first.
// A Windows machine has Times New Roman itself; the test prefix maps it to its
// metric twin Liberation Serif, as fontconfig does on Linux, and so does this.
#include <QCoreApplication>
#include <QFont>
#include <QString>

namespace {

void MapTimesNewRomanToItsMetricTwin() {
  QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(MapTimesNewRomanToItsMetricTwin)
