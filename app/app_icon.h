#pragma once

#include <QIcon>

namespace krv {

// The window icon: drawn here rather than shipped as a file, so the executable needs nothing
// beside it to show one.
QIcon applicationIcon();

} // namespace krv
