#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <functional>

// An icon whose pictures are made only when it is first drawn, or handed to
// the desktop: making some of them (reading a picture from a file or the
// resources) first looks up Qt's image readers, several milliseconds on the
// way to the first window. `sizes`, when given, are the sizes it will have,
// told without making it.
QIcon deferredIcon(std::function<QIcon()> make, QList<QSize> sizes = {});
