// The one rule for names that become part of a file name.
#include "file_name_cases.h"
#include "file_names.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNamePartTest, RefusesEveryNameThatCouldLeaveItsFolderOrCannotBeStored) {
    for (const TFileNameCase& c : FileNameCases()) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(IsFileNamePart(c.name), c.fits);
    }
}

TEST(FileNamePartTest, RefusesEachForbiddenCharacterAnywhereInTheName) {
    for (const char c : std::string("\\/:*?\"<>|")) {
        SCOPED_TRACE(std::string(1, c));
        EXPECT_FALSE(IsFileNamePart(std::string(1, c) + "x"));
        EXPECT_FALSE(IsFileNamePart("x" + std::string(1, c)));
    }
    for (int code = 1; code < 0x20; ++code)
        EXPECT_FALSE(IsFileNamePart("x" + std::string(1, static_cast<char>(code)) + "y")) << code;
    // A NUL inside the text would cut the file name short.
    EXPECT_FALSE(IsFileNamePart(std::string("x\0y", 3)));
}

} // namespace
