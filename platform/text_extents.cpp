#include "platform/text_extents.h"

#include <cmath>
#include <string>

#include "platform/error.h"

namespace geom {

namespace {

// Bytes taken by the character at i; a byte that does not start valid UTF-8 is one
// character on its own, so malformed text still has a width.
std::size_t CharacterBytes(std::string_view s, std::size_t i) {
    auto lead = static_cast<unsigned char>(s[i]);
    std::size_t extra = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) return 1;
    for (std::size_t k = 1; k <= extra; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return extra + 1;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

int32_t TextCharacterCount(std::string_view text) {
    int32_t count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.substr(i, 2) == "%%" && i + 2 < text.size()) {
            char code = Lower(text[i + 2]);
            if (code == 'c' || code == 'd' || code == 'p' || code == '%') {
                ++count;
                i += 3;
                continue;
            }
            if (code == 'u' || code == 'o') {
                i += 3;
                continue;
            }
        }
        ++count;
        i += CharacterBytes(text, i);
    }
    return count;
}

double TextWidth(std::string_view text, double height, double widthFactor) {
    return TextCharacterCount(text) * height * widthFactor;
}

Point2 TextOrigin(std::string_view text, double height, double widthFactor, int32_t alignment, Point2 alignmentPoint,
                  double rotation) {
    double back = 0, down = 0;  // in widths and heights
    switch (alignment) {
    case 0: break;
    case 1: back = 0.5; break;
    case 2: back = 1; break;
    case 9: down = 0.5; break;
    case 10: back = down = 0.5; break;
    case 11: back = 1, down = 0.5; break;
    default: com::Raise(com::ErrorCode::InvalidInput, "unsupported text alignment " + std::to_string(alignment));
    }
    double along = back * TextWidth(text, height, widthFactor), across = down * height;
    double c = std::cos(rotation), s = std::sin(rotation);
    return {alignmentPoint.x - along * c + across * s, alignmentPoint.y - along * s - across * c};
}

Box TextBox(std::string_view text, double height, double widthFactor, Point2 origin, double rotation) {
    double w = TextWidth(text, height, widthFactor);
    double c = std::cos(rotation), s = std::sin(rotation);
    Point2 run{w * c, w * s}, up{-height * s, height * c};
    Box box;
    box.Include(origin);
    box.Include(Point2{origin.x + run.x, origin.y + run.y});
    box.Include(Point2{origin.x + run.x + up.x, origin.y + run.y + up.y});
    box.Include(Point2{origin.x + up.x, origin.y + up.y});
    return box;
}

}  // namespace geom
