#pragma once

#include <QIcon>

// The program's icon for its windows and the about box: the same drawing the desktop shows in its
// menus, built into the program in every size the desktop's icon theme gets.
QIcon ApplicationIcon();
