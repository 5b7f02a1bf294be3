#include <string>

#include "platform/vb_text.h"
#include "profile/profile.h"

namespace fluvanet {

std::string Profile::GetManholeLabelDelimiter(const std::string& ManholeLabel) {
    // The order decides: "." wins over "-" wherever each stands in the label.
    for (const char* delimiter : {".", "-", "/", "_"})
        if (vb::Split(ManholeLabel, delimiter).size() >= 2) return delimiter;
    return "";
}

}  // namespace fluvanet
