#include "platform/PrintableText.h"

#include <gtest/gtest.h>

using torvane::platform::printable;

TEST(PrintableText, ControlCharactersBecomeVisiblePicturesAndNothingElseChanges) {
    EXPECT_EQ(printable("C:\\DATA\\a:b.txt"), "C:\\DATA\\a:b.txt");
    EXPECT_EQ(printable("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(printable("a\nb"), "a\xE2\x90\x8A" "b");
    EXPECT_EQ(printable("\r\t\x1B"), "\xE2\x90\x8D\xE2\x90\x89\xE2\x90\x9B");
    EXPECT_EQ(printable(std::string_view("x\0y", 3)), "x\xE2\x90\x80y");
    EXPECT_EQ(printable("\x7F"), "\xE2\x90\xA1");
    EXPECT_EQ(printable("\x1F "), "\xE2\x90\x9F ");
    EXPECT_EQ(printable("").size(), 0u);
}
