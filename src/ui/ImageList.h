#pragma once

#include <QIcon>
#include <QString>

namespace kx12r {

// The pictures of the window by key: "check", "stop", "edit", "eraser", "ok", "close".
// An unknown or empty key gives a null icon.
QIcon ImageListIcon(const QString& key);

}  // namespace kx12r
