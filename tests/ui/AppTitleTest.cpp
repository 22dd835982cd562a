#include "ui/AppTitle.h"

#include <gtest/gtest.h>

#include "QStringPrinter.h"

namespace kvr {
namespace {

TEST(ApplicationTitle, FileNameUpToFirstDotWithTheRestInLowerCase) {
    struct Row {
        const char16_t* path;
        const char16_t* title;
    };
    const Row rows[] = {
        {u"/usr/bin/Kavrolis", u"Kavrolis"},
        {u"/opt/KAVROLIS.EXE", u"Kavrolis"},
        {u"C:/Tools/kavrolis.old.exe", u"kavrolis"},
        {u"/a.b/KVR", u"Kvr"},  // a dot in the folder does not count
        {u"/x/.hidden", u""},
        {u"/x/K", u"K"},
        {u"/x/ÉDITEUR.exe", u"Éditeur"},
    };
    for (const Row& row : rows) {
        const QString path = QString::fromUtf16(row.path);
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(ApplicationTitle(path), QString::fromUtf16(row.title));
    }
}

}  // namespace
}  // namespace kvr
