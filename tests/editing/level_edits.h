#pragma once
// A gravity network "Main" whose pipes and nodes carry label blocks that show their levels:
// pipes their label and both inverts (after length, size and slope), nodes their label,
// ground and sump; pressure elements the same.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "annotation/view_style.h"
#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/invert_matching.h"
#include "editing/pipe_node_records.h"
#include "platform/vb_convert.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"

namespace level_testing {

using namespace testing_support;
using com::ErrorCode;
using com::SafeArray;
using com::Variant;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;

inline std::string Ref(const std::string& key) { return fluvanet::refs::Reference(key); }

class LevelEdits : public testing::Test {
protected:
    LevelEdits() {
        std::map<int, std::string> shown{{10, "1;;;2;0"}, {11, "1;;;2;0"}, {24, "1;;;2;0"}, {25, "1;;;2;0"},
                                         {34, "1;;;2;0"}, {35, "1;;;2;0"}, {38, "1;;;2;0"}, {39, "1;;;2;0"}};
        std::vector<std::string> settings = ViewStyleSettings(shown, "Levels");
        AddActiveViewStyle(*doc, settings);
        vs.DefineAttributeBlocks(*doc, vs.GetAnnotationFormatArray(SettingsVariant(settings)));
    }

    // The network's layers for labels and arrows, and a label for every element given.
    void Label(const NetworkBuilder& network, const TestChain& chain) {
        for (const char* layer : {"Annotation", "Arrow"}) general.CreateStandardLayer(*doc, network.Name(), layer);
        for (const auto& p : chain.pipes) vs.InsertAnnotationsForNewEntity(*doc, *p.polyline, 0);
        for (const auto& n : chain.nodes) vs.InsertAnnotationsForNewEntity(*doc, *n.block, 0);
    }
    // The texts its label block shows.
    std::vector<std::string> Shown(const std::shared_ptr<acad::AcadObject>& owner) {
        bool pipe = fluvanet::element_type::IsPipe(fluvanet::ElementRecord::Read(owner).ElementType());
        std::string key = fluvanet::refs::ReferenceKey(RecordText(owner, pipe ? pe::kLabelBlockId : ne::kLabelBlockId));
        std::vector<std::string> texts;
        for (const auto& a : acad::Cast<acad::AcadBlockReference>(fluvanet::ObjectFromId(*doc, key))->GetAttributes())
            texts.push_back(a->TextString());
        return texts;
    }
    // Every record of the drawing and the project's, as texts, and what every block reference
    // shows: what a refused edit leaves alone.
    std::vector<std::string> Records() {
        std::vector<std::string> all;
        auto add = [&](acad::AcadObject& object) {
            Variant codes, values;
            object.GetXData("Fluvamap", codes, values);
            std::string text;
            if (values.IsArray())
                for (const std::string& v : values.Array().ToStrings()) text += v + "|";
            if (auto block = dynamic_cast<acad::AcadBlockReference*>(&object))
                for (const auto& a : block->GetAttributes()) text += a->TextString() + "|";
            all.push_back(text);
        };
        add(*doc->ModelSpace());
        for (const auto& e : doc->Database()->SpaceEntities()) add(*e);
        return all;
    }
    std::shared_ptr<acad::AcadSelectionSet> LowHighSet() {
        return general.InitializeSelectionSet(*doc, "SetNodesForLowHigh");
    }
    static double Num(const TestPipe& p, int32_t entry) { return p.Record().Number(entry); }
    static double Num(const TestNode& n, int32_t entry) { return n.Record().Number(entry); }
    void ExpectSound() { EXPECT_THAT(NetworkFindings(*doc), testing::IsEmpty()); }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::General general;
    fluvanet::ViewStyle vs;
    fluvanet::Library library;
    std::shared_ptr<fluvanet::Editing> editing = std::make_shared<fluvanet::Editing>();
};

}  // namespace level_testing
