// Folder and file-name parts of paths, as the whole program splits them.
#include "support/FileNames.h"

#include <gtest/gtest.h>

TEST(FileNames, FolderNameAndExtensionParts) {
    const std::string s(1, kPathSeparator);
    EXPECT_EQ(FileName("logs" + s + "plog.zel"), "plog.zel");
    EXPECT_EQ(FileName("logs" + s), "");
    EXPECT_EQ(FolderPart("logs" + s + "plog.zel"), "logs" + s);
    EXPECT_EQ(FolderPart("plog.zel"), "." + s) << "a file name can always be appended";
    EXPECT_EQ(WithSeparator("logs"), "logs" + s);
    EXPECT_EQ(WithSeparator("logs/"), "logs/");
    EXPECT_EQ(WithoutExtension("plog.tar.zel"), "plog.tar");
    EXPECT_EQ(WithoutExtension("v1.2" + s + "plog"), "v1.2" + s + "plog")
        << "a dot in a folder is no extension";
#ifdef _WIN32
    EXPECT_EQ(FileName("C:plog.zel"), "plog.zel");
    EXPECT_EQ(FolderPart("C:/q\\plog.zel"), "C:/q\\");
#else
    EXPECT_EQ(FileName("C:plog.zel"), "C:plog.zel") << "colon and backslash are name characters";
    EXPECT_EQ(FolderPart("a\\b"), "./");
#endif
}
