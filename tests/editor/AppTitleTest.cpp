#include "editor/AppTitle.h"

#include <gtest/gtest.h>

#include "fixtures/CodePage.h"

namespace kvr {
namespace {

TEST(ApplicationTitle, FileNameUpToFirstDotWithTheRestInLowerCase) {
    test::ScopedCodePage utf8("UTF-8");
    struct Row {
        const char* path;
        const char* title;
    };
    const Row rows[] = {
        {"/usr/bin/Kavrolis", "Kavrolis"},
        {"/opt/KAVROLIS.EXE", "Kavrolis"},
        {"C:/Tools/kavrolis.old.exe", "kavrolis"},
        {"/a.b/KVR", "Kvr"},  // a dot in the folder does not count
        {"/x/.hidden", ""},
        {"/x/K", "K"},
        {"/x/ÉDITEUR.exe", "Éditeur"},  // the first character takes two bytes
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(ApplicationTitle(row.path), row.title);
    }
}

}  // namespace
}  // namespace kvr
