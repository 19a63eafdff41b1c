#pragma once

#include <cstdint>

namespace torvane {

// What Gradient draws on: a window's client area in its own drawing units.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;
    virtual double height() const = 0;
    virtual double width() const = 0;
    virtual void fillRect(int x1, int y1, int x2, int y2, int red, int green, int blue) = 0;
};

class clsForm {
public:
    // Paints 63 bands, each 4 steps darker than the one before, from the top (or the bottom)
    // of the surface. Positions and colours are 16-bit values: a surface too tall for them
    // fails with a TorvaneError.
    void Gradient(DrawingSurface& oObject, std::int16_t iRedValue, std::int16_t iGreenValue,
                  std::int16_t iBlueValue, bool bTopToBottom);
};

}  // namespace torvane
