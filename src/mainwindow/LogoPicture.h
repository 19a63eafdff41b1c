#pragma once

#include <QPixmap>

namespace torvane {

// The product's logo, drawn at the given edge length: a weather vane over a disc.
QPixmap drawLogo(int size);

}  // namespace torvane
