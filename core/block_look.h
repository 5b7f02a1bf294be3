#pragma once
// What a block reference looked like before an edit: its place and turn, and each
// attribute's text, alignment, turn and points. Put back by an undo, so that a label the user
// placed stays where the user put it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/acad_block.h"

namespace fluvanet {

class BlockLook {
public:
    explicit BlockLook(std::shared_ptr<acad::AcadBlockReference> block);
    // Writes only what differs: what the failed edit never reached, perhaps on a locked
    // layer, is left alone.
    void PutBack() const;

private:
    struct Attribute {
        std::string text;
        int32_t alignment;
        double rotation;
        acad::Point3 insertion, alignmentPoint;
    };
    std::shared_ptr<acad::AcadBlockReference> block_;
    acad::Point3 insertion_;
    double rotation_;
    std::vector<Attribute> attributes_;
};

}  // namespace fluvanet
