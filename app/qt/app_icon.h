// The program's icons: the application icon, a SyQuest-style cartridge of
// 32 x 32 pixels from the program's resources, and the help icon of the
// dialogs' help buttons (a white question mark on a blue disc).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tarvo {

QPixmap AppIconPixmap();
QIcon AppIcon();
QIcon HelpIcon();

}  // namespace tarvo
