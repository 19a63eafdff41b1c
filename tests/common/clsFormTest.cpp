#include "common/clsForm.h"

#include <gtest/gtest.h>

#include "common/TorvaneError.h"

namespace torvane {
namespace {

struct Band {
    int x1, y1, x2, y2, r, g, b;
};

class RecordingSurface : public DrawingSurface {
public:
    RecordingSurface(double h, double w) : h_(h), w_(w) {}
    double height() const override { return h_; }
    double width() const override { return w_; }
    void fillRect(int x1, int y1, int x2, int y2, int r, int g, int b) override {
        bands.push_back({x1, y1, x2, y2, r, g, b});
    }
    std::vector<Band> bands;

private:
    double h_, w_;
};

TEST(GradientTest, SixtyThreeBandsEachFourStepsDarkerTopToBottom) {
    RecordingSurface s(6300, 4000);
    clsForm().Gradient(s, 0, 0, 255, true);
    ASSERT_EQ(s.bands.size(), 63u);
    for (size_t i = 0; i < 63; ++i) {
        EXPECT_EQ(s.bands[i].y1, int(i) * 100);
        EXPECT_EQ(s.bands[i].y2, int(i) * 100 + 100);
        EXPECT_EQ(s.bands[i].x2, 4000);
        EXPECT_EQ(s.bands[i].b, 255 - 4 * int(i));
        EXPECT_EQ(s.bands[i].r, 0);
    }
    EXPECT_EQ(s.bands.back().b, 7);
}

TEST(GradientTest, BottomToTopStartsAtTheBottomEdgeAndClimbs) {
    RecordingSurface s(6300, 10);
    clsForm().Gradient(s, 10, 200, 3, false);
    EXPECT_EQ(s.bands[0].y1, 6200);
    EXPECT_EQ(s.bands[1].y1, 6100);
    EXPECT_EQ(s.bands[0].r, 10);
    EXPECT_EQ(s.bands[1].r, 6);
    EXPECT_EQ(s.bands[2].r, 2);
    EXPECT_EQ(s.bands[3].r, 0);
    EXPECT_EQ(s.bands[4].r, 0);
    EXPECT_EQ(s.bands[1].b, 0);
}

TEST(GradientTest, SurfaceTooTallFor16BitPositionsFails) {
    RecordingSurface s(40000, 10);
    try {
        clsForm().Gradient(s, 0, 0, 255, true);
        FAIL();
    } catch (const TorvaneError& e) {
        EXPECT_EQ(e.number(), -2147211505);
        EXPECT_EQ(e.source(), "clsForm:Gradient Method");
    }
}

}  // namespace
}  // namespace torvane
