#pragma once
// A gravity network "Main" with its annotation and arrow layers, an active view style of
// text height 2 (line spacing 3) whose label blocks are built, and what a label shows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "core/angles.h"
#include "core/general.h"
#include "core/reference_lists.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "tests/support/erase_watch.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"

namespace label_testing {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using Settings = std::map<int, std::string>;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

// Where attributes stand from a point: (dx, dy) each.
using Offsets = std::vector<std::pair<double, double>>;
inline constexpr double kSpacing = 3;
using fluvanet::angles::kQuarterTurn;

class LabelDrawing : public testing::Test {
protected:
    LabelDrawing() {
        for (const char* layer : {"Annotation", "Arrow"}) general.CreateStandardLayer(*doc, "Main", layer);
        UseStyle({});
    }
    // The host's standard style (pipes: label, length, size, slope and an arrow) with
    // entries replaced, made active, and the label blocks built for five gravity pipe lines
    // and three node lines whatever it shows.
    Variant UseStyle(const Settings& overrides) {
        Settings s{{4, "2"}};
        for (const auto& [k, v] : overrides) s[k] = v;
        AddActiveViewStyle(*doc, ViewStyleSettings(s, "Style" + std::to_string(++styles_)));
        vs.DefineAttributeBlocks(*doc, Table({{9, "1;;"}, {33, "1;;"}, {34, "1;;;2;0"}, {35, "1;;;2;0"}}));
        return Table(overrides);
    }
    Variant Table(const Settings& overrides) {
        Settings s{{4, "2"}};
        for (const auto& [k, v] : overrides) s[k] = v;
        return vs.GetAnnotationFormatArray(SettingsVariant(ViewStyleSettings(s)));
    }
    static Variant Lines(int n) {
        std::vector<std::string> lines;
        for (int i = 1; i <= n; ++i) lines.push_back("L" + std::to_string(i));
        return Variant(com::SafeArray::FromStrings(lines));
    }
    // The label block or arrow an owner's entry names; nullptr when the entry is empty.
    std::shared_ptr<acad::AcadBlockReference> Linked(const std::shared_ptr<acad::AcadObject>& owner, int32_t entry) {
        std::string key = fluvanet::refs::ReferenceKey(RecordText(owner, entry));
        return key.empty() ? nullptr : acad::Cast<acad::AcadBlockReference>(fluvanet::ObjectFromId(*doc, key));
    }
    // A label block's or arrow's whole record, as texts.
    static std::vector<std::string> Record(const std::shared_ptr<acad::AcadObject>& object) {
        Variant codes, values;
        object->GetXData("Fluvamap", codes, values);
        return values.Array().ToStrings();
    }
    static std::vector<std::string> Texts(const acad::AcadBlockReference& label) {
        std::vector<std::string> texts;
        for (const auto& a : label.GetAttributes()) texts.push_back(a->TextString());
        return texts;
    }
    // Where the first `count` attributes stand from (x, y), to six decimals.
    static Offsets OffsetsOf(const acad::AcadBlockReference& label, double x, double y, int count) {
        Offsets offsets;
        auto attributes = label.GetAttributes();
        for (int i = 0; i < count; ++i) {
            acad::Point3 p = attributes.at(static_cast<std::size_t>(i))->TextAlignmentPoint();
            offsets.emplace_back(vb::Round(p[0] - x, 6), vb::Round(p[1] - y, 6));
        }
        return offsets;
    }
    std::shared_ptr<FlagsAtErasure> WatchErasures() { return testing_support::WatchErasures(*doc); }
    std::size_t EntityCount() const { return doc->Database()->SpaceEntities().size(); }
    void ExpectSound() { EXPECT_THAT(NetworkFindings(*doc), testing::IsEmpty()); }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::General general;
    fluvanet::ViewStyle vs;
    NetworkBuilder net{*doc, "Main"};

private:
    int styles_ = 0;
};

}  // namespace label_testing
