#pragma once

#include <QFont>
#include <QRect>
#include <QString>

// Sizes and fonts of the windows, kept as the original layout gives them: positions in twips,
// 15 twips to a pixel.
namespace zuna::gui {

inline constexpr int kTwipsPerPixel = 15;

inline int Pixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

inline QRect TwipRect(int left, int top, int width, int height) {
  return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

// The nearest installed family for a font the layout names; sizes and weight as given.
QFont LayoutFont(const QString& family, double points, bool bold);

// The buttons' colour, RGB(192, 192, 255).
inline constexpr int kButtonRed = 192, kButtonGreen = 192, kButtonBlue = 255;

}  // namespace zuna::gui
