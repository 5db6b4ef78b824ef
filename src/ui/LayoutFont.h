#pragma once

#include <QFont>

namespace kx12r {

// The text the window's twip sizes are laid out for: Tahoma at 8 points. Where the system has
// no Tahoma of its own, Wine's copy with the same metrics (Debian's fonts-wine) stands in;
// without either the base font's family stays.
QFont LayoutFont(const QFont& base, int point_size = 8);

}  // namespace kx12r
