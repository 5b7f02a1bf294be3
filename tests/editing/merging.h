#pragma once
// Gravity networks made by converting drawn polylines, and the host's merge driven by name,
// step by step, as the host calls it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/general.h"
#include "core/library.h"
#include "core/reference_lists.h"
#include "editing/editing.h"
#include "editing/pipe_node_records.h"
#include "platform/ui_log.h"
#include "platform/vb_convert.h"
#include "platform/vb_text.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/view_style.h"

namespace merge_testing {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;
namespace pe = fluvanet::pipe_entry;
namespace ne = fluvanet::node_entry;
using Pipes = std::vector<std::shared_ptr<acad::AcadLWPolyline>>;

inline std::string Ref(const std::string& key) { return fluvanet::refs::Reference(key); }

class Merging : public testing::Test {
protected:
    Merging() {
        AddActiveViewStyle(*doc, ViewStyleSettings());
        host::Ui().Clear();
    }

    // The polylines drawn and converted, in one call, into a gravity network defined on first use.
    Pipes Convert(const std::vector<std::vector<double>>& lines, const std::string& net = "Main") {
        const bool existing = general.CheckNetworkExists(*doc, net);
        if (!existing) general.CreateNetworkDefintion(*doc, net, "Gravity");
        auto set = general.InitializeSelectionSet(*doc, "Picked");
        Pipes pipes;
        for (const auto& xy : lines) {
            pipes.push_back(doc->ModelSpace()->AddLightWeightPolyline(xy));
            set->AddItems({pipes.back()});
        }
        editing->CreateElementsInNetwork(*doc, *set, existing, net, "Gravity");
        return pipes;
    }
    std::shared_ptr<acad::AcadSelectionSet> Pick(const Pipes& pipes) {
        doc->Utility()->QueueSelection({pipes.begin(), pipes.end()});
        return editing->GetPipesToMerge(*doc);
    }
    static std::string LabelOf(const std::shared_ptr<acad::AcadObject>& element) {
        return vb::Split(RecordText(element, 1), ";").at(2);
    }
    std::shared_ptr<acad::AcadObject> Referenced(const std::shared_ptr<acad::AcadObject>& owner, int32_t entry) {
        return fluvanet::ObjectFromId(*doc, fluvanet::refs::ReferenceKey(RecordText(owner, entry)));
    }
    std::string Count(const com::SafeArray& table, const std::string& name) {
        for (int32_t i = 0; i <= table.UBound(1); ++i)
            if (vb::CStr(table.Get(i, 0)) == name) return vb::CStr(table.Get(i, 1));
        return "none";
    }
    std::size_t EntityCount() const { return doc->Database()->SpaceEntities().size(); }
    void Sound() {
        std::vector<std::string> findings = NetworkFindings(*doc);
        EXPECT_THAT(findings, IsEmpty()) << testing::PrintToString(findings);
    }

    template <class... A>
    Variant Call(std::string_view method, A&&... args) {
        return vb::CallByName(editing, method, com::CallType::Method, doc, std::forward<A>(args)...);
    }
    // Every step before the deletion; the merged pipe.
    std::shared_ptr<acad::AcadLWPolyline> Prepare(const Pipes& picked) {
        doc->Utility()->QueueSelection({picked.begin(), picked.end()});
        set = Call("GetPipesToMerge");
        auto taken = std::dynamic_pointer_cast<acad::AcadSelectionSet>(set.Object());
        const auto count = static_cast<int16_t>(taken->Count());
        EXPECT_EQ(count, static_cast<int16_t>(picked.size()));
        merged = Call("CreateMergedPipe", set, chain, crossingLabels, crossingIds);
        Call("AssignMergedXdata", merged, chain, crossingLabels, crossingIds, first, last, startLabel, endLabel,
             elementType, network, lowHigh);
        Call("UpdateLibrariesAfterMerging", first, Variant(count));
        Call("UpdateCrossingsAfterMerging", crossingLabels, crossingIds, merged, set);
        Call("UpdateProfilesAfterMerging", merged, set);
        return std::dynamic_pointer_cast<acad::AcadLWPolyline>(merged.Object());
    }
    void Delete() { Call("DeleteOldMergedPipes", set, startLabel, endLabel); }
    std::shared_ptr<acad::AcadLWPolyline> Merge(const Pipes& picked) {
        auto pipe = Prepare(picked);
        Delete();
        Sound();
        return pipe;
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    fluvanet::General general;
    fluvanet::Library library;
    std::shared_ptr<fluvanet::Editing> editing = std::make_shared<fluvanet::Editing>();
    // The host's variables between the steps.
    Variant set, merged, chain, crossingLabels, crossingIds, first, last, startLabel, endLabel, elementType, network,
        lowHigh;
};

}  // namespace merge_testing
