// The earlier releases' layouts as declared, how a folder's release is recognised, and
// the mapping rule between layouts.
#include <map>

#include "converter/field_map.h"
#include "converter/folder_layouts.h"
#include "converter/old_layouts.h"
#include "converter_fixture.h"
#include "store/tables.h"

namespace converter::test {
namespace {

using store::FieldType;

TEST(OldLayoutsTest, RecordsArePackedToTheSizesTheReleasesWrote) {
    // The packed part of each record, and the memos kept beside it.
    const std::map<Old, std::pair<int, std::vector<int>>> sizes = {
        {Old::IN1, {130, {}}},    {Old::IN2, {31, {}}},
        {Old::IN3, {208, {}}},    {Old::IN4, {4, {}}},
        {Old::IN5, {50, {}}},     {Old::IN8, {19, {}}},
        {Old::IN9, {72, {1000}}}, {Old::INA, {144, {1000}}},
        {Old::INB, {843, {}}},    {Old::INC, {123, {120, 1000}}},
        {Old::IND, {74, {1000}}}, {Old::INE, {130, {1000}}},
        {Old::INF, {39, {}}},     {Old::ING, {30, {}}},
        {Old::INB320, {293, {}}},
    };
    for (const auto& [which, size] : sizes) {
        const store::TableDecl& d = oldDecl(which);
        int end = 0, packed = 0;
        std::vector<int> memos;
        for (const store::FieldDecl& f : d.fields) {
            EXPECT_EQ(end, f.offset) << d.prefix << ":" << f.name;
            end += f.size();
            if (f.type == FieldType::MEMO)
                memos.push_back(f.width);
            else
                packed = end;
        }
        EXPECT_EQ(d.recordSize, end) << d.prefix;
        EXPECT_EQ(size.first, packed) << d.prefix;
        EXPECT_EQ(size.second, memos) << d.prefix;
        // No key is made of a memo.
        for (const store::KeyDecl& k : d.keys)
            for (const store::KeyComponent& c : k.components)
                EXPECT_NE(FieldType::MEMO, d.fields[c.field].type) << d.prefix << " " << k.name;
    }
    // The keys are today's where the fields allow: 2.x durations lack the owner.
    EXPECT_EQ(1u, oldDecl(Old::IN4).keys.size());
    EXPECT_EQ(3u, oldDecl(Old::INA).keys.size());
    EXPECT_EQ(store::Engine::layoutSignature(store::tableDecl(store::Tbl::GROUPRES)),
              store::Engine::layoutSignature(oldDecl(Old::ING)));
}

TEST(FieldMapTest, SameNamedFieldsAreCopiedCutOrPadded) {
    const store::TableDecl& from = oldDecl(Old::INC);
    const store::TableDecl& to = store::tableDecl(store::Tbl::USERS);
    // INC and USERS share USERNAME (15 both), DATECHANGED, TIMECHANGED and NOTES
    // (a memo of 1000 into a text of 255).
    std::vector<std::byte> a(from.recordSize), b(to.recordSize);
    store::clearRecord(from, a.data());
    store::clearRecord(to, b.data());
    store::setText(from.fields[from.fieldIndex("USERNAME")], a.data(), "ANNA");
    store::setNumber(from.fields[from.fieldIndex("DATECHANGED")], a.data(), 80123);
    store::setText(from.fields[from.fieldIndex("NOTES")], a.data(), std::string(300, 'x') + "  ");
    FieldMap(from, to, {"DATECHANGED"}).apply(a.data(), b.data());
    const auto& u = *reinterpret_cast<const store::USERS*>(b.data());
    EXPECT_EQ("ANNA", u.USERNAME.str());
    EXPECT_EQ(std::string(255, 'x'), u.NOTES.str());
    EXPECT_EQ(0, u.DATECHANGED);  // left out on purpose
    EXPECT_TRUE(u.LASTNAME.blank());

    // A text that became a number is not guessed at.
    std::vector<std::byte> c(oldDecl(Old::INA).recordSize), d(146);
    store::clearRecord(oldDecl(Old::INA), c.data());
    store::setText(oldDecl(Old::INA).fields[7], c.data(), "Fixed Weeks");
    store::clearRecord(store::tableDecl(store::Tbl::ACTIVITY), d.data());
    FieldMap(oldDecl(Old::INA), store::tableDecl(store::Tbl::ACTIVITY)).apply(c.data(), d.data());
    EXPECT_EQ(0, reinterpret_cast<const store::ACTIVITY*>(d.data())->REPEATTYPE);
}

class RecogniseTest : public ConvertTest, public ::testing::WithParamInterface<Release> {};

TEST_P(RecogniseTest, EachReleaseIsRecognisedAndRefusedByTheMainProgram) {
    SampleStore s(GetParam());
    addTrialRecords(s);
    write(s);
    {
        Workspace w(folder());
        FolderLayouts f;
        ASSERT_EQ(0, readLayouts(w, f));
        EXPECT_EQ(std::vector<Release>{GetParam()}, fittingReleases(f));
    }
    if (GetParam() == Release::Current) return;
    // The main program's store meets an old layout and ends with engine error 47.
    Station st(dir.path);
    bool refused = false;
    for (int i = 0; i < store::kTableCount && !refused; ++i) {
        st.rm(store::Tbl(i)).OPEN();
        refused = st.fm(store::Tbl(i)).USEFILE() == store::Level_Fatal;
    }
    EXPECT_TRUE(refused);
    EXPECT_NE(std::string::npos, user.lastText().find("Invalid Record Declaration (47)"));
}

INSTANTIATE_TEST_SUITE_P(Releases, RecogniseTest,
                         ::testing::Values(Release::R2X, Release::R30, Release::R31, Release::R320,
                                           Release::Current),
                         [](const auto& info) {
                             std::string n = releaseInfo(info.param).name;
                             for (char& c : n)
                                 if (c == '.') c = '_';
                             return "R" + n;
                         });

}  // namespace
}  // namespace converter::test
