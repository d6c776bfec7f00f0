// How every list looks, in the windows and in the list models alike.
#pragma once

#include <QColor>

namespace orvix {

// Background of the column a list is sorted by, its title included.
inline const QColor kSortColumnColor(255, 255, 185);

} // namespace orvix
