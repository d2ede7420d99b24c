#pragma once

#include <QPixmap>
#include <QString>

// A picture of the program's own, read by the built-in reader its suffix
// names. Qt's usual loading first asks every image plugin whether it wants
// the file, which loads them all (and the SVG module with them) on the way to
// the first window. A file that does not read that way is read the usual way.
QPixmap loadPixmap(const QString& path);
