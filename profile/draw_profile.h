#pragma once
// Drawing a profile in two steps, so that redrawing can check everything before the old
// profile goes: a read-only preparation that raises Invalid procedure call, naming the
// fault, for input that would fail midway, and the drawing itself.
//
//   PreparedProfile prepared = PrepareProfile(profile, general, doc, request);  // nothing changed
//   std::string id = DrawPreparedProfile(profile, events, doc, prepared);

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/acad_document.h"
#include "platform/dispatch.h"

namespace fluvanet {

class Events;
class General;
class Profile;

// "Fluvamap_Profile_" & network & "_" & profile name: the profile's block.
inline std::string ProfileBlockName(std::string_view network, std::string_view profile) {
    return "Fluvamap_Profile_" + std::string(network) + "_" + std::string(profile);
}

// The arguments of DrawProfile, as the profile block record stores them again.
struct ProfileRequest {
    std::string name;
    std::string network;
    std::string networkType;
    std::string styleName;
    std::vector<std::string> pipes;  // label references, ID references, directions
    com::Variant insPoint;
    bool groundFromSurface = false;
    std::string surfaceName;
    bool datumAuto = false;
    double customDatum = 0;
    bool showNameOnPlan = false;
    bool showStationsOnPlan = false;
};

struct PreparedProfile {
    ProfileRequest request;
    com::Variant settings;  // the style's 21 values
    com::Variant parts;     // the parts data records
};

// Lets the host process its messages, reaches the terrain document if there is one, reads
// the style, checks the input and the block names, and gathers the parts data. Reads only.
PreparedProfile PrepareProfile(Profile& profile, General& general, acad::AcadDocument& doc,
                               const ProfileRequest& request);

// Draws both blocks and writes their records; the profile block's identifier. On a failure
// the references it inserted are deleted and the entries it wrote taken back before the
// error goes on.
std::string DrawPreparedProfile(Profile& profile, General& general, Events& events, acad::AcadDocument& doc,
                                const PreparedProfile& prepared);

}  // namespace fluvanet
