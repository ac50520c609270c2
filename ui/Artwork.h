#pragma once
// The program's pictures, from the Qt resource ":/artwork".
#include <QIcon>
#include <QPixmap>

namespace qvc {

/// Registers the picture resources; safe to call more than once.
void InitArtwork();

/// Command picture `index` of the 16 x 16 list (0..13).
QIcon CommandPicture(int index);
/// Side-bar picture `index` (0..2), 32 x 32.
QPixmap SideBarPicture(int index);
/// State image `index` (0..8), 29 x 15.
QPixmap StateImage(int index);
/// Column header picture: 0 empty, 1 triangle up, 2 triangle down; 16 x 16.
QPixmap HeaderPicture(int index);
/// The ready (0) and busy (1) pictures of the run status strip, 15 x 30.
QPixmap ReadyBusyPicture(int index);

} // namespace qvc
