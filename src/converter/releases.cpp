#include "converter/releases.h"

#include <array>
#include <cstring>

#include "converter/old_layouts.h"
#include "store/tables.h"

namespace converter {

using store::StoreFile;
using store::TableDecl;
using store::Tbl;

const std::vector<ReleaseInfo>& convertibleReleases() {
    static const std::vector<ReleaseInfo> all = {
        {Release::R2X, "Multi User 2.x", "Multi", "2.x", "ABCD"},
        {Release::R30, "Multi-User 3.0", "3.0", "3.0", "BCD"},
        {Release::R31, "Multi-User 3.1", "3.1", "3.1", "CD"},
        {Release::R320, "3.20", "3.20", "3.20", "D"},
    };
    return all;
}

const ReleaseInfo& releaseInfo(Release r) {
    static const ReleaseInfo current{Release::Current, "3.21", "3.21", "3.21", ""};
    for (const ReleaseInfo& i : convertibleReleases())
        if (i.release == r) return i;
    return current;
}

namespace {

const TableDecl* today(Tbl t) {
    return &store::tableDecl(t);
}
const TableDecl* old(Old o) {
    return &oldDecl(o);
}

/// The tables every release keeps in today's layout.
void addUnchanged(std::vector<HeldTable>& out) {
    for (Tbl t : {Tbl::CONTROL, Tbl::GROUP, Tbl::RESUSER, Tbl::SPECIAL, Tbl::USERGRP, Tbl::USGRPUS})
        out.push_back({StoreFile::RESDATA, store::tableDecl(t).name, {today(t)}});
}

std::vector<HeldTable> make(Release r) {
    constexpr StoreFile R = StoreFile::RESDATA;
    std::vector<HeldTable> out;
    switch (r) {
        case Release::R2X:
            out = {
                {R, "USERPREF", {old(Old::IN3)}}, {R, "USERS", {old(Old::IN1), old(Old::INE)}},
                {R, "DURLIST", {old(Old::IN4)}},  {R, "ROUTINEA", {old(Old::IN5)}},
                {R, "DATES", {old(Old::IN2)}},    {R, "RESACT", {old(Old::IN8)}},
                {R, "RESOURCE", {old(Old::IN9)}}, {R, "ACTIVITY", {old(Old::INA)}},
                {R, "CLIENT", {old(Old::INC)}},   {R, "GROUPRES", {old(Old::ING)}},
            };
            break;
        case Release::R30:
        case Release::R31: {
            const bool r30 = r == Release::R30;
            out = {
                {R, "SYSPREF", {old(Old::INB)}},
                {R, "USERPREF", {today(Tbl::USERPREF)}},
                {R, "USERS",
                 r30 ? std::vector{old(Old::IN1), old(Old::INE)}
                     : std::vector{old(Old::INE), old(Old::IN1)}},
                {R, "DURLIST", {today(Tbl::DURLIST)}},
                {R, "ROUTINEA", {today(Tbl::ROUTINEA)}},
                {R, "DATES", {old(Old::INF)}},
                {R, "RESACT", {r30 ? old(Old::IN8) : today(Tbl::RESACT)}},
                {R, "RESOURCE", {r30 ? old(Old::IN9) : old(Old::IND)}},
                {R, "ACTIVITY", {old(Old::INA)}},
                {R, "CLIENT", {old(Old::INC)}},
                {R, "GROUPRES", {old(Old::ING)}},
            };
            break;
        }
        case Release::R320:
        case Release::Current:
            for (int i = 0; i < store::kTableCount; ++i) {
                const TableDecl& d = store::tableDecl(Tbl(i));
                const TableDecl* layout =
                    (d.id == Tbl::SYSPREF && r == Release::R320) ? old(Old::INB320) : &d;
                out.push_back({d.file, d.name, {layout}});
            }
            return out;
    }
    addUnchanged(out);
    return out;
}

}  // namespace

const std::vector<HeldTable>& tablesOf(Release r) {
    static const std::array<std::vector<HeldTable>, 5> all = {
        make(Release::R2X), make(Release::R30), make(Release::R31), make(Release::R320),
        make(Release::Current)};
    return all[std::size_t(r)];
}

const std::vector<const TableDecl*>& layoutsIn(Release r, StoreFile file, const char* name) {
    static const std::vector<const TableDecl*> none;
    for (const HeldTable& h : tablesOf(r))
        if (h.file == file && std::strcmp(h.name, name) == 0) return h.layouts;
    return none;
}

}  // namespace converter
