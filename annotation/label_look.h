#pragma once
// How a label block or arrow looks, kept before an update rewrites it, so that a failed
// update can put back where the user had placed it.

#include <memory>
#include <string>
#include <vector>

#include "platform/acad_block.h"

namespace fluvanet::labels {

class BlockLook {
public:
    explicit BlockLook(std::shared_ptr<acad::AcadBlockReference> block);
    // The block's place and turn first: they carry its attributes along, which are then
    // put back one by one.
    void PutBack() const;

private:
    struct AttributeLook {
        std::shared_ptr<acad::AcadAttributeReference> attribute;
        std::string text;
        int32_t alignment;
        double rotation;
        acad::Point3 insertion, alignmentPoint;
    };
    std::shared_ptr<acad::AcadBlockReference> block_;
    acad::Point3 insertion_;
    double rotation_;
    std::vector<AttributeLook> attributes_;
};

}  // namespace fluvanet::labels
