#include "platform/text_extents.h"

#include <cmath>
#include <string>

#include "platform/error.h"
#include "platform/vb_text.h"

namespace geom {

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

// Characters as the text shows them: the control codes are ASCII, so they are found by
// bytes and their room taken off the character count.
int32_t TextCharacterCount(std::string_view text) {
    int32_t count = vb::Len(text);
    for (std::size_t i = 0; i + 2 < text.size();) {
        if (text[i] == '%' && text[i + 1] == '%') {
            char code = Lower(text[i + 2]);
            if (code == 'c' || code == 'd' || code == 'p' || code == '%') {
                count -= 2;
                i += 3;
                continue;
            }
            if (code == 'u' || code == 'o') {
                count -= 3;
                i += 3;
                continue;
            }
        }
        ++i;
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
