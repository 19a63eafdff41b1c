#include "clsForm.h"

#include <cmath>
#include <stdexcept>

#include "common/TorvaneError.h"

namespace torvane {

namespace {

// Rounds half to even, as the desktop's integer conversion does, and keeps to 16 bits.
std::int16_t toInt16(double v) {
    const double r = std::nearbyint(v);
    if (r < -32768.0 || r > 32767.0) throw std::overflow_error("Overflow");
    return static_cast<std::int16_t>(r);
}

std::int16_t darker(std::int16_t c) {
    const int v = c - 4;
    return static_cast<std::int16_t>(v < 1 ? 0 : v);
}

}  // namespace

void clsForm::Gradient(DrawingSurface& oObject, std::int16_t iRedValue, std::int16_t iGreenValue,
                       std::int16_t iBlueValue, bool bTopToBottom) {
    wrapErrors("clsForm:Gradient Method", [&] {
        const std::int16_t h = toInt16(oObject.height() / 63.0);
        std::int16_t y = bTopToBottom ? 0 : toInt16(oObject.height() - h);
        const std::int16_t w = toInt16(oObject.width());
        std::int16_t r = iRedValue, g = iGreenValue, b = iBlueValue;
        for (int band = 0; band < 63; ++band) {
            oObject.fillRect(0, y, w, toInt16(double(y) + h), r, g, b);
            r = darker(r);
            g = darker(g);
            b = darker(b);
            y = toInt16(bTopToBottom ? double(y) + h : double(y) - h);
        }
    });
}

}  // namespace torvane
