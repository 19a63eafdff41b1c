#include <gtest/gtest.h>

#include "zip/PlacementPlan.h"

namespace torvane::zip {
namespace {

Entry entry(const std::string& name, bool folder = false) {
    Entry e;
    e.info.name = name;
    e.info.isDirectory = folder;
    return e;
}

// Far more paths than members, so that the plan's table of claimed paths grows several times
// while earlier claims must still be found: under a deep file, each of its folders is one.
TEST(PlacementPlan, ClaimsOfDeepPathsSurviveTheTableGrowing) {
    std::string deep;
    for (int level = 0; level < 200; ++level) deep += "level" + std::to_string(level) + "/";
    std::string shallow = deep.substr(0, deep.find("level120/"));
    std::vector<Entry> entries = {
        entry(deep + "file"),
        entry(shallow + "level120"),                  // a folder made earlier
        entry("other\\" + deep.substr(0, 60) + "x"),  // rewritten "/"-joined
        entry(deep + "file/below"),                   // under a file
        entry(shallow, true),                         // a folder again: fine
        entry("other/" + deep.substr(0, 60) + "x"),   // replaces the rewritten one
        entry(deep + "file"),                         // replaces the first
        entry(std::string(70'000, 'n')),              // longer than a zip can name
    };
    const PlacementPlan plan(entries);
    using V = PlacementPlan::Verdict;
    EXPECT_EQ(plan.verdict(0), V::Skip);
    ASSERT_EQ(plan.verdict(1), V::Refuse);
    EXPECT_EQ(plan.reason(1), shallow +
                                  "level120: refused: a folder of the same name comes "
                                  "earlier in the archive");
    EXPECT_EQ(plan.verdict(2), V::Skip);
    ASSERT_EQ(plan.verdict(3), V::Refuse);
    EXPECT_EQ(plan.reason(3), deep + "file/below: refused: " + deep +
                                  "file is a file earlier in the archive, not a folder");
    EXPECT_EQ(plan.verdict(4), V::Place);
    EXPECT_EQ(plan.verdict(5), V::Place);
    EXPECT_EQ(plan.verdict(6), V::Place);
    ASSERT_EQ(plan.verdict(7), V::Refuse);
    EXPECT_EQ(plan.reason(7),
              std::string(70'000, 'n') + ": refused: name longer than an archive can hold");
}

}  // namespace
}  // namespace torvane::zip
