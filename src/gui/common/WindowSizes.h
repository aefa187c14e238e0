#pragma once

#include <QSize>

class QWidget;

// The default size of every window, in pixels at 100 % scale; Qt multiplies them on screens that
// are scaled up, and every window may be resized from there. The measures of a window's parts
// stand, named, at the top of the window's own file.
namespace WindowSizes {

inline constexpr QSize MainWindow { 756, 501 }; // the menu bar comes on top
inline constexpr QSize TotalsDialog { 879, 336 };
inline constexpr QSize FoodGridDialog { 912, 345 };
inline constexpr QSize FoodEditorDialog { 700, 468 };
inline constexpr QSize QuickHelpViewer { 570, 392 };
inline constexpr QSize ConversionChartViewer { 547, 391 };
inline constexpr QSize LicenseViewer { 700, 369 };
inline constexpr QSize CopyFilesDialog { 420, 420 };
inline constexpr QSize UserNameDialog { 300, 130 };

// The most characters of a name that a list line, a label or a tool tip lays out. No window is
// wide enough to show more, and laying out a name of millions of characters would hold the
// window for seconds at every repaint.
inline constexpr int ShownNameCharacters = 1000;

// Makes `window`, about to be shown, no larger than the free part of the screen it opens on,
// leaving room for the desktop's frame around it. A window whose content needs more than that
// gets scroll bars: the part of the main window above its commands, or all of another window.
// Every window goes through here as it opens (execWindowModal does it for the modal ones).
void fitToScreen(QWidget* window);
// The most a window opening on the screen of `window` may measure, frame excluded.
QSize room(const QWidget* window);

} // namespace WindowSizes
