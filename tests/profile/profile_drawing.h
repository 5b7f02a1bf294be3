#pragma once
// A project drawing with the profile layers and an empty profile block definition to draw
// a part into, style settings from the test support, and what was drawn read back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/vb_convert.h"
#include "profile/profile.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"
#include "tests/support/network_invariants.h"
#include "tests/support/profile_builder.h"

namespace profile_testing {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;

// Coordinates compared to 1e-9.
inline auto Near(const std::vector<double>& expected) {
    return testing::Pointwise(testing::DoubleNear(1e-9), expected);
}

inline std::vector<double> Xyz(const acad::Point3& p) { return {p[0], p[1], p[2]}; }

inline std::string Number(double v) { return vb::CStr(vb::Round(v, 9)); }

// "text (x, y) alignment layer": a left text at its insertion point, others at their
// alignment point.
inline std::string Seen(const acad::AcadText& t) {
    acad::Point3 at = t.Alignment() == 0 ? t.InsertionPoint() : t.TextAlignmentPoint();
    return t.TextString() + " (" + Number(at[0]) + ", " + Number(at[1]) + ") " + std::to_string(t.Alignment()) + " " +
           t.Layer();
}

class ProfileDrawing : public testing::Test {
protected:
    ProfileDrawing() { profile.CreateProfileLayers(*doc); }
    ~ProfileDrawing() override { EXPECT_THAT(NetworkFindings(*doc), IsEmpty()); }

    // Text settings "Standard;1;2.5;5" (data 1, labels 2.5, title 5) unless replaced.
    static Variant Settings(std::map<int, std::string> overrides = {}) {
        overrides.try_emplace(5, "Standard;1;2.5;5");
        return Variant(com::SafeArray::FromStrings(ProfileStyleValues("Road", overrides)));
    }
    template <class T>
    std::vector<std::shared_ptr<T>> Drawn(const std::string& layer = "") const {
        std::vector<std::shared_ptr<T>> found;
        for (const auto& e : block->Entities())
            if (auto t = std::dynamic_pointer_cast<T>(e); t && (layer.empty() || t->Layer() == layer)) found.push_back(t);
        return found;
    }
    std::vector<std::string> Texts(const std::string& layer = "") const {
        std::vector<std::string> seen;
        for (const auto& t : Drawn<acad::AcadText>(layer)) seen.push_back(Seen(*t));
        return seen;
    }
    std::vector<std::vector<double>> Polylines(const std::string& layer = "") const {
        std::vector<std::vector<double>> vertices;
        for (const auto& p : Drawn<acad::AcadLWPolyline>(layer)) vertices.push_back(p->Coordinates());
        return vertices;
    }
    std::vector<std::vector<double>> Lines(const std::string& layer = "") const {
        std::vector<std::vector<double>> ends;
        for (const auto& l : Drawn<acad::AcadLine>(layer))
            ends.push_back({l->StartPoint()[0], l->StartPoint()[1], l->EndPoint()[0], l->EndPoint()[1]});
        return ends;
    }
    std::shared_ptr<acad::AcadLayer> Layer(const std::string& name) const { return doc->Layers()->Item(Variant(name)); }
    void LockAndFreeze(const std::string& name) const {
        Layer(name)->SetLock(true);
        Layer(name)->SetFreeze(true);
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    std::shared_ptr<acad::AcadBlock> block = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Profile_Main_P");
    fluvanet::Profile profile;
    std::vector<double> ref{100, 50, 0};
};

}  // namespace profile_testing
