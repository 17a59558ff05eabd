#include "app/gui/layout.h"

#include <QFontDatabase>

namespace zuna::gui {

QFont LayoutFont(const QString& family, double points, bool bold) {
  QFont font(family);
  // Windows names: "MS Sans Serif" and "Arial Narrow" map to whatever sans serif is installed.
  font.setStyleHint(QFont::SansSerif);
  if (family == QStringLiteral("Arial Narrow")) font.setStretch(QFont::SemiCondensed);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

}  // namespace zuna::gui
