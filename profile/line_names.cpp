#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_records.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "profile/profile.h"

namespace fluvanet {

using com::SafeArray;
using com::Variant;

namespace {

// Tested longest first, on the label's leading characters in upper case. "_" then "-" is
// not among the four-character ones.
constexpr std::array<std::string_view, 15> kFourCharacterPrefixes{
    "M.H.", "M-H-", "M_H_", "M/H/", "M.H-", "M.H_", "M.H/", "M-H.",
    "M-H_", "M-H/", "M_H.", "M_H/", "M/H.", "M/H-", "M/H_"};
constexpr std::array<std::string_view, 8> kThreeCharacterPrefixes{"MH.", "MH-", "MH_", "MH/",
                                                                  "M.H", "M_H", "M-H", "M/H"};
constexpr std::string_view kTwoCharacterPrefix = "MH";
constexpr std::string_view kMainLine = "Main";

template <std::size_t N>
bool StartsWithOneOf(const std::string& label, const std::array<std::string_view, N>& prefixes, int32_t length) {
    std::string head = vb::UCase(vb::Left(label, length));
    return std::find(prefixes.begin(), prefixes.end(), head) != prefixes.end();
}

// The prefix's length in characters, 0 when the label has none.
int32_t ManholePrefixLength(const std::string& label) {
    if (StartsWithOneOf(label, kFourCharacterPrefixes, 4)) return 4;
    if (StartsWithOneOf(label, kThreeCharacterPrefixes, 3)) return 3;
    if (vb::UCase(vb::Left(label, 2)) == kTwoCharacterPrefix) return 2;
    return 0;
}

bool IsDigit(std::string_view character) { return character.size() == 1 && character[0] >= '0' && character[0] <= '9'; }

}  // namespace

std::string Profile::GetManholeLabelDelimiter(const std::string& ManholeLabel) {
    // The order decides: "." wins over "-" wherever each stands in the label.
    for (const char* delimiter : {".", "-", "/", "_"})
        if (vb::Split(ManholeLabel, delimiter).size() >= 2) return delimiter;
    return "";
}

std::string Profile::GetManholeLineName(std::string& ManholeLabel) {
    if (int32_t prefix = ManholePrefixLength(ManholeLabel); prefix > 0) ManholeLabel = vb::Mid(ManholeLabel, prefix + 1);
    const std::string& label = ManholeLabel;
    std::string delimiter = GetManholeLabelDelimiter(label);

    if (!delimiter.empty()) {
        std::vector<std::string> pieces = vb::Split(label, delimiter);
        vb::Count16(pieces.size());
        // Everything before the last delimiter, and a capital that follows the number.
        std::string name = vb::Left(label, vb::Len(label) - vb::Len(pieces.back()) - 1);
        std::string last = vb::Right(label, 1);
        if (!IsDigit(last) && vb::UCase(last) == last) name += last;
        return name;
    }

    int16_t length = vb::Count16(static_cast<std::size_t>(vb::Len(label)));
    std::string name;
    for (int16_t i = 1; i <= length; ++i) {
        std::string character = vb::Mid(label, i, 1);
        if (IsDigit(character)) break;
        name += character;
    }
    return name.empty() ? std::string(kMainLine) : name;
}

Variant Profile::GetGravityLineNames(acad::AcadDocument& AcadActiveDocument, const std::string& NetName) {
    auto pipes = general_->GetNetworkSet(AcadActiveDocument, NetName, 1);
    std::vector<std::string> names;
    std::vector<std::string> lists;
    const int32_t count = pipes->Count();
    for (int32_t i = 0; i < count; ++i) {
        auto pipe = pipes->Item(i);
        std::string startNode = refs::ReferenceKey(ElementRecord::Read(pipe).Text(pipe_entry::kStartNodeLabel));
        std::string name = GetManholeLineName(startNode);
        std::string item = ";" + IdText(*pipe);
        // Names compare exactly: "A" and "a" are two lines.
        auto line = std::find(names.begin(), names.end(), name);
        if (line != names.end()) {
            lists[static_cast<std::size_t>(line - names.begin())] += item;
        } else {
            names.push_back(name);
            lists.push_back(item);
        }
    }

    std::vector<std::string> lineNames;
    std::vector<std::string> linePipes;
    const std::size_t lines = names.size();
    for (std::size_t k = 0; k < lines; ++k) {
        const std::string& list = lists[static_cast<std::size_t>(k)];
        if (!CheckProfilePipesConnectivity(*general_->ConvertOIDStringToSelectionSet(AcadActiveDocument, list)))
            continue;
        lineNames.push_back(names[static_cast<std::size_t>(k)]);
        linePipes.push_back(list);
    }
    if (lineNames.empty()) {
        lineNames.emplace_back();
        linePipes.emplace_back();
    }
    return Variant(SafeArray::FromVariants(
        {Variant(SafeArray::FromStrings(lineNames)), Variant(SafeArray::FromStrings(linePipes))}));
}

}  // namespace fluvanet
