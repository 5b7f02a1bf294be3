#include "server/catalogue.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

#include "annotation/view_style.h"
#include "core/general.h"
#include "core/library.h"
#include "core/types.h"
#include "crossing/crossing.h"
#include "crossing/low_high.h"
#include "editing/editing.h"
#include "events/events.h"
#include "events/update_oids.h"
#include "profile/profile.h"
#include "server/instance_count.h"

namespace fluvanet::server {

namespace {

template <class T>
class Factory final : public com::ClassFactory {
public:
    com::ObjectPtr CreateInstance() override { return std::make_shared<T>(); }
    void LockServer(bool lock) override { server::LockServer(lock); }
};

template <class T>
com::ClassFactory& FactoryOf() {
    static Factory<T> factory;
    return factory;
}

#define FLUVANET_CLASS(Name, Clsid) ClassEntry{#Name, "Fluvanet." #Name, Clsid, "_" #Name, FactoryOf<Name>()}

}  // namespace

std::span<const ClassEntry> Catalogue() {
    static const std::array<ClassEntry, 10> classes{
        FLUVANET_CLASS(General, "{18270CB7-0F86-41E3-ADE8-378ADA51BFFD}"),
        FLUVANET_CLASS(Library, "{7D2FCFE2-B55F-40AD-9DE8-F80A77A4F5C7}"),
        FLUVANET_CLASS(ViewStyle, "{35834012-817C-4F26-8978-2092DC2D7529}"),
        FLUVANET_CLASS(Crossing, "{9523FE42-ED40-4C12-A07B-E2361471642F}"),
        FLUVANET_CLASS(Types, "{633CAD90-4D37-41AA-A2DC-3231A984CB4B}"),
        FLUVANET_CLASS(Profile, "{FE127CB6-610C-43AC-BC05-8667CA989A9A}"),
        FLUVANET_CLASS(LowHigh, "{FAF483E4-8B1D-45FD-8286-9D0875B270EA}"),
        FLUVANET_CLASS(Editing, "{8F046EDD-D61C-4AAD-BCF1-2858E9574692}"),
        FLUVANET_CLASS(Events, "{8039FC9F-E09A-4163-9FF1-28E2CB920119}"),
        FLUVANET_CLASS(UpdateOIDs, "{7B91B289-1111-417E-B0D1-B2A2E29BAC28}"),
    };
    return classes;
}

#undef FLUVANET_CLASS

const ClassEntry* FindClass(std::string_view clsid) {
    for (const ClassEntry& c : Catalogue())
        if (com::SameIdentifier(c.clsid, clsid)) return &c;
    return nullptr;
}

}  // namespace fluvanet::server
