#include "platform/selection_filter.h"

#include "platform/vb_text.h"

#include <algorithm>
#include <optional>

#include "platform/safe_array.h"
#include "platform/vb_convert.h"
#include "platform/wildcard.h"

namespace acad {

using com::ErrorCode;
using com::Raise;
using com::Variant;

namespace {

bool IsVector(const Variant& v) { return v.IsArray() && v.Array().Dims() == 1; }

}  // namespace

struct SelectionFilter::Node {
    enum class Kind { And, Or, Pair };
    Kind kind = Kind::And;
    int16_t code = 0;
    // Parsed once for the selection: a filter tests every entity of the drawing.
    std::optional<WildcardPattern> pattern;
    // Code 1000 only: the application pattern of the nearest earlier 1001 pair.
    std::optional<WildcardPattern> application;
    std::vector<Node> children;

    struct Reader {
        const std::vector<int16_t>& codes;
        const std::vector<Variant>& values;
        std::size_t next = 0;
        std::optional<WildcardPattern> application;  // carried across groups, in textual order
    };

    // Fills this group up to its closing operator (to the end for the top level).
    void Read(Reader& r, std::string_view closing) {
        while (r.next < r.codes.size()) {
            std::size_t i = r.next++;
            int16_t c = r.codes[i];
            const Variant& value = r.values[i];
            if (!value.IsString())
                Raise(ErrorCode::InvalidInput, "filter value " + std::to_string(i) + " is not a text");
            const std::string& text = value.Str();
            if (c == -4) {
                std::string op = vb::UCase(text);
                if (op == "<OR" || op == "<AND") {
                    Node group;
                    group.kind = op == "<OR" ? Kind::Or : Kind::And;
                    group.Read(r, op == "<OR" ? "OR>" : "AND>");
                    children.push_back(std::move(group));
                    continue;
                }
                if (!closing.empty() && op == closing) return;
                Raise(ErrorCode::InvalidInput, "unexpected filter operator \"" + text + "\"");
            }
            if (c != 0 && c != 2 && c != 8 && c != 1000 && c != 1001)
                Raise(ErrorCode::InvalidInput, "filter code " + std::to_string(c) + " is not supported");
            Node pair;
            pair.kind = Kind::Pair;
            pair.code = c;
            // Extended-data texts alone are compared in their case.
            pair.pattern.emplace(text, c != 1000);
            if (c == 1001) r.application = pair.pattern;
            if (c == 1000) pair.application = r.application;
            children.push_back(std::move(pair));
        }
        if (!closing.empty()) Raise(ErrorCode::InvalidInput, "filter group without \"" + std::string(closing) + "\"");
    }

    bool Matches(const FilterSubject& s) const {
        auto child = [&](const Node& n) { return n.Matches(s); };
        switch (kind) {
        case Kind::And: return std::all_of(children.begin(), children.end(), child);
        case Kind::Or: return std::any_of(children.begin(), children.end(), child);
        case Kind::Pair: break;
        }
        switch (code) {
        case 0: return pattern->Matches(s.DxfName());
        case 2: {
            std::string block = s.BlockName();
            return !block.empty() && pattern->Matches(block);
        }
        case 8: return pattern->Matches(s.LayerName());
        case 1001: {
            auto apps = s.XDataApplications();
            return std::any_of(apps.begin(), apps.end(), [&](const std::string& app) { return pattern->Matches(app); });
        }
        default: break;
        }
        for (const std::string& app : s.XDataApplications()) {
            if (application && !application->Matches(app)) continue;
            for (const std::string& text : s.XDataTexts(app))
                if (pattern->Matches(text)) return true;
        }
        return false;
    }
};

SelectionFilter::SelectionFilter() = default;

SelectionFilter::SelectionFilter(const std::vector<int16_t>& codes, const std::vector<Variant>& values)
    : root_(std::make_unique<Node>()) {
    if (codes.size() != values.size()) Raise(ErrorCode::InvalidInput, "filter codes and values differ in number");
    Node::Reader reader{codes, values, 0, std::nullopt};
    root_->Read(reader, "");
}

SelectionFilter SelectionFilter::FromVariants(const Variant& filterType, const Variant& filterData) {
    if (filterType.IsEmpty() && filterData.IsEmpty()) return SelectionFilter();
    if (!IsVector(filterType) || !IsVector(filterData))
        Raise(ErrorCode::InvalidInput, "filter type and data must be one-dimensional arrays");
    std::vector<Variant> rawCodes = filterType.Array().ToVariants();
    std::vector<Variant> values = filterData.Array().ToVariants();
    if (rawCodes.size() != values.size()) Raise(ErrorCode::InvalidInput, "filter type and data differ in length");
    std::vector<int16_t> codes;
    codes.reserve(rawCodes.size());
    for (const Variant& code : rawCodes) {
        // A code that is no number is a bad filter, not a conversion failure of the caller.
        try {
            codes.push_back(vb::CInt(code));
        } catch (const com::Error&) {
            Raise(ErrorCode::InvalidInput, "filter code " + com::DebugString(code) + " is not a number");
        }
    }
    return SelectionFilter(codes, values);
}

SelectionFilter::~SelectionFilter() = default;
SelectionFilter::SelectionFilter(SelectionFilter&&) noexcept = default;
SelectionFilter& SelectionFilter::operator=(SelectionFilter&&) noexcept = default;

bool SelectionFilter::Matches(const FilterSubject& subject) const { return !root_ || root_->Matches(subject); }

}  // namespace acad
