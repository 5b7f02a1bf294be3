#pragma once
// A stand-in drawing with the profile layers and an empty profile block definition to draw
// a data table or its bands into; what was drawn is read back as short texts:
//   Texts(layer)  "text@x,y" (the alignment point, the insertion point of a left text)
//   Lines(layer)  "x1,y1>x2,y2"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/vb_convert.h"
#include "profile/profile.h"
#include "tests/support/error_code.h"
#include "tests/support/network_builder.h"

namespace table_testing {

using namespace testing_support;
using com::ErrorCode;
using com::Variant;
using testing::ElementsAre;
using testing::IsEmpty;

inline const std::string kData = "Profile - Data";
inline const std::string kLabel = "Profile - Label";
inline const std::string kDimension = "Profile - Dimension";
inline const std::string kFrame = "Profile - Frame";

class TableDrawing : public testing::Test {
protected:
    TableDrawing() { profile.CreateProfileLayers(*doc); }

    template <class T>
    std::vector<std::shared_ptr<T>> All(const std::string& layer = "") const {
        std::vector<std::shared_ptr<T>> found;
        for (const auto& e : block->Entities())
            if (auto t = std::dynamic_pointer_cast<T>(e); t && (layer.empty() || t->Layer() == layer))
                found.push_back(t);
        return found;
    }
    // Numbers in their general text form, which hides the last bits of floating error.
    static std::string Xy(const acad::Point3& p) { return vb::CStr(p[0]) + "," + vb::CStr(p[1]); }
    std::vector<std::string> Texts(const std::string& layer = "") const {
        std::vector<std::string> texts;
        for (const auto& t : All<acad::AcadText>(layer))
            texts.push_back(t->TextString() + "@" + Xy(t->Alignment() == 0 ? t->InsertionPoint() : t->TextAlignmentPoint()));
        return texts;
    }
    std::vector<std::string> Lines(const std::string& layer = "") const {
        std::vector<std::string> lines;
        for (const auto& l : All<acad::AcadLine>(layer)) lines.push_back(Xy(l->StartPoint()) + ">" + Xy(l->EndPoint()));
        return lines;
    }

    std::shared_ptr<acad::AcadDocument> doc = NewProjectDrawing();
    std::shared_ptr<acad::AcadBlock> block = doc->Blocks()->Add({0, 0, 0}, "Fluvamap_Profile_Main_L-1");
    fluvanet::Profile profile;
};

}  // namespace table_testing
