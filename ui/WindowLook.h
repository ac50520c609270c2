#pragma once
// The window's classic look, shared by the main window, its pages and its overlays: fonts, the colours of
// title bars and panels, and a title bar label.
#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace qvc {

/// Dark blue of an active title bar (the overlays' titles).
inline const QColor kActiveCaption(10, 36, 106);
/// Grey of the side bar's and the page's titles.
inline const QColor kShadowGrey(128, 128, 128);
/// Navy of the rename group's title.
inline const QColor kNavy(0, 0, 128);

/// The window's font: Tahoma 8, bold (a sans-serif stand-in where Tahoma is missing).
QFont WindowFont();
/// The menus' font: the window's, not bold.
QFont MenuFont();
/// Gives an overlay panel (the language editor, the result view) its name, its raised frame and an opaque
/// background, and returns its column layout.
QVBoxLayout *OverlayLayout(QFrame *panel, const QString &name);
/// A bold white-on-colour label named `name`.
QLabel *TitleBar(const QString &name, const QString &caption, const QColor &background, QWidget *parent);

} // namespace qvc
