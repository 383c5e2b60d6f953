#include "masterdata/selection_lists.h"

#include <algorithm>
#include <set>

#include "masterdata/child_rows.h"
#include "masterdata/group_save.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata {

using namespace store;

bool booksEveryResource(int accessLevel) {
    return may(accessLevel, Right::AdministerResources);
}

std::vector<ResourceRow> selectableResources(Store& db, const std::string& group,
                                             const std::string& user, int accessLevel) {
    OpenTables open(db, {Tbl::RESOURCE, Tbl::RESUSER, Tbl::GROUPRES});
    std::vector<ResourceRow> out;
    if (!open.ok()) return out;
    FileManager& res = db.Access(Tbl::RESOURCE);
    const auto ticket = res.SAVEBUFFER();
    const RecordPosition was = res.POSITION();
    auto row = [&] { return ResourceRow{db.RES.RESOURCE.str(), db.RES.NAME.str(), db.RES.UNITS}; };
    if (group.empty() && booksEveryResource(accessLevel)) {
        res.SET(RES::RESOURCE_KEY);
        while (res.NEXT() == Level_Benign) out.push_back(row());
    } else {
        // The codes to show, each read by its key: a group's members, the user's
        // authorizations, or those that are both.
        std::vector<std::string> codes;
        if (!group.empty()) codes = groupMembers(db, group);
        if (!booksEveryResource(accessLevel)) {
            std::vector<std::string> mine =
                namesWith(db, Tbl::RESUSER, RUS::USERNAME_KEY, RUS::USERNAME, user, RUS::RESOURCE);
            if (group.empty()) {
                codes = std::move(mine);
            } else {
                const std::set<std::string> allowed(mine.begin(), mine.end());
                std::erase_if(codes, [&](const std::string& c) { return !allowed.count(c); });
            }
        }
        std::sort(codes.begin(), codes.end());
        codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
        for (const std::string& code : codes) {
            res.PRIMERECORD();
            db.RES.RESOURCE = code;
            if (db.engine().get(db.table(Tbl::RESOURCE), RES::RESOURCE_KEY) == NoError)
                out.push_back(row());
        }
    }
    res.RESTOREBUFFER(ticket);
    db.engine().setPosition(db.table(Tbl::RESOURCE), was);
    return out;
}

std::vector<UserRow> generalUsers(Store& db) {
    OpenTables open(db, {Tbl::USERS});
    std::vector<UserRow> out;
    if (!open.ok()) return out;
    FileManager& use = db.Access(Tbl::USERS);
    const auto ticket = use.SAVEBUFFER();
    const RecordPosition was = use.POSITION();
    use.PRIMERECORD();
    db.USE.ACCESSLEVEL = GeneralUser;
    if (use.SET(USE::ACCESSLEVEL_KEY, true) == Level_Benign) {
        while (use.NEXT() == Level_Benign && db.USE.ACCESSLEVEL == GeneralUser)
            out.push_back({db.USE.USERNAME.str(), db.USE.LASTNAME.str(), db.USE.FIRSTNAME.str(),
                           db.USE.DEPARTMENT.str(), db.USE.ACCESSLEVEL});
    }
    use.RESTOREBUFFER(ticket);
    db.engine().setPosition(db.table(Tbl::USERS), was);
    std::sort(out.begin(), out.end(),
              [](const UserRow& a, const UserRow& b) { return a.username < b.username; });
    return out;
}

}  // namespace masterdata
