#include <gtest/gtest.h>

#include "zip/Wildcard.h"

namespace {

struct Case {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(Wildcard, FollowsWindowsRules) {
    const Case cases[] = {
        {"*.*", "report.txt", true},
        {"*.*", "Makefile", true},
        {"*.*", "a.b.c", true},
        {"*.*", ".hidden", true},
        {"*", "Makefile", true},
        {"*.txt", "NOTES.TXT", true},
        {"*.TXT", "notes.txt", true},
        {"*.txt", "notes.txt.bak", false},
        {"*.txt", "notes", false},
        {"?.doc", "a.doc", true},
        {"?.doc", "ab.doc", false},
        {"?.doc", ".doc", false},
        {"data*.csv", "DATA2024.csv", true},
        {"data*.csv", "mydata.csv", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"report.*", "report", true},
        {"report.*", "report.pdf", true},
        {"report.*", "reports", false},
        {"Ü*.txt", "Über.txt", true},
        {"", "x", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(torvane::zip::matchesPattern(c.pattern, c.name), c.matches)
            << "pattern " << c.pattern << " name " << c.name;
    }
}

TEST(Wildcard, HostilePatternStaysLinear) {
    std::string name(5000, 'a');
    std::string pattern;
    for (int i = 0; i < 200; ++i) pattern += "*a";
    pattern += "b";
    EXPECT_FALSE(torvane::zip::matchesPattern(pattern, name));
}

}  // namespace
