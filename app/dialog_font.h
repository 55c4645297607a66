#pragma once
// The dialogs' font: the platform's sans-serif face at the template's point size.

#include <QFont>

namespace krv {

QFont dialogFont(int pointSize);

} // namespace krv
