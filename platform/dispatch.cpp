#include "platform/dispatch.h"

#include "platform/vb_text.h"

namespace com {

namespace {
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}
}  // namespace

Variant Dispatch::Invoke(std::string_view name, CallType type, ArgRefs args) {
    return Table().Invoke(*this, name, type, args);
}

bool Dispatch::Supports(std::string_view name) const { return Table().Find(name) != nullptr; }

const DispatchTable::Entry* DispatchTable::Find(std::string_view name) const {
    for (const Entry& e : entries_)
        if (SameName(e.name, name)) return &e;
    return nullptr;
}

std::vector<std::string> DispatchTable::Names() const {
    std::vector<std::string> names;
    for (const Entry& e : entries_) names.push_back(e.name);
    return names;
}

Variant DispatchTable::Invoke(Dispatch& self, std::string_view name, CallType type, ArgRefs args) const {
    const Entry* e = Find(name);
    if (e != nullptr) {
        const Thunk* thunk = nullptr;
        switch (type) {
        // VB asks for "method or property get" in both cases.
        case CallType::Method: thunk = e->method ? &e->method : (e->get ? &e->get : nullptr); break;
        case CallType::Get: thunk = e->get ? &e->get : (e->method ? &e->method : nullptr); break;
        case CallType::Let:
        case CallType::Set: thunk = e->put ? &e->put : nullptr; break;
        }
        if (thunk != nullptr) return (*thunk)(self, args);
    }
    Raise(ErrorCode::NotApplicable, std::string(self.TypeName()) + "." + std::string(name));
}

void DispatchTable::Add(std::string_view name, CallType type, Thunk thunk) {
    Entry* e = const_cast<Entry*>(Find(name));
    if (e == nullptr) {
        entries_.push_back(Entry{std::string(name), {}, {}, {}});
        e = &entries_.back();
    }
    switch (type) {
    case CallType::Method: e->method = std::move(thunk); break;
    case CallType::Get: e->get = std::move(thunk); break;
    case CallType::Let:
    case CallType::Set: e->put = std::move(thunk); break;
    }
}

void DispatchTable::Inherit(const DispatchTable& base) {
    for (const Entry& e : base.entries_) {
        if (e.method) Add(e.name, CallType::Method, e.method);
        if (e.get) Add(e.name, CallType::Get, e.get);
        if (e.put) Add(e.name, CallType::Let, e.put);
    }
}

}  // namespace com
