// The fixed text-size model: character counts, alignment and extents.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "platform/text_extents.h"
#include "tests/support/error_code.h"

namespace {

using geom::Point2;
constexpr double kUp = std::numbers::pi / 2;

TEST(TextExtents, ControlCodesAndCodePointsSetTheWidth) {
    const std::pair<std::string, int32_t> cases[] = {
        {"", 0},       {"ABC", 3},      {"%%c100", 4}, {"%%C100", 4}, {"45%%d", 3},  {"%%P0.05", 5},
        {"100%%%", 4}, {"%%uAB%%O", 2}, {"%%x", 3},    {"%%", 2},     {"%%%%d", 3}, {"\xC3\xA9t\xE2\x82\xAC", 3},
        {"a\xFF" "b", 3}};
    for (const auto& [text, count] : cases) EXPECT_EQ(geom::TextCharacterCount(text), count) << text;
    EXPECT_DOUBLE_EQ(geom::TextWidth("%%c12%%u", 2.5, 0.8), 6);
}

TEST(TextExtents, EachAlignmentPlacesTheBaselineStart) {
    // "ABCD" at height 2 is 8 wide, aligned at (10, 20), unrotated and turned a quarter.
    const struct {
        int32_t alignment;
        Point2 flat, turned;
    } cases[] = {{0, {10, 20}, {10, 20}}, {1, {6, 20}, {10, 16}},  {2, {2, 20}, {10, 12}},
                 {9, {10, 19}, {11, 20}}, {10, {6, 19}, {11, 16}}, {11, {2, 19}, {11, 12}}};
    for (const auto& c : cases) {
        Point2 flat = geom::TextOrigin("ABCD", 2, 1, c.alignment, {10, 20}, 0);
        Point2 turned = geom::TextOrigin("ABCD", 2, 1, c.alignment, {10, 20}, kUp);
        EXPECT_TRUE(std::abs(flat.x - c.flat.x) < 1e-12 && std::abs(flat.y - c.flat.y) < 1e-12) << c.alignment;
        EXPECT_TRUE(std::abs(turned.x - c.turned.x) < 1e-12 && std::abs(turned.y - c.turned.y) < 1e-12) << c.alignment;
    }
    EXPECT_DOUBLE_EQ(geom::TextOrigin("ABCD", 2, 0.5, 2, {10, 20}, 0).x, 6);
    for (int32_t alignment : {3, 4, 8, 12, -1})
        EXPECT_EQ(testing_support::ErrorOf([&] { geom::TextOrigin("A", 1, 1, alignment, {0, 0}, 0); }),
                  com::ErrorCode::InvalidInput)
            << alignment;
}

TEST(TextExtents, BoxesCoverTheRotatedRectangle) {
    auto expectBox = [](const geom::Box& b, double minX, double minY, double maxX, double maxY) {
        EXPECT_TRUE(b.valid && std::abs(b.minX - minX) < 1e-12 && std::abs(b.minY - minY) < 1e-12 &&
                    std::abs(b.maxX - maxX) < 1e-12 && std::abs(b.maxY - maxY) < 1e-12)
            << b.minX << ' ' << b.minY << ' ' << b.maxX << ' ' << b.maxY;
    };
    expectBox(geom::TextBox("ABCD", 2, 1, {10, 20}, 0), 10, 20, 18, 22);
    expectBox(geom::TextBox("ABCD", 2, 1, {10, 20}, kUp), 8, 20, 10, 28);
    expectBox(geom::TextBox("%%u", 3, 1, {1, 1}, 0), 1, 1, 1, 4);
}

}  // namespace
