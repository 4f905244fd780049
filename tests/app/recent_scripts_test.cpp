#include "app/recent_scripts.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(RecentScripts, KeepsTheTenLastOnceEachNewestFirstWithTheLastFolder)
{
    QTemporaryDir dir;
    const CRecentScripts recent(dir.filePath("vantrolix.conf"));
    EXPECT_TRUE(recent.List().isEmpty());
    for (int i = 1; i <= 12; ++i)
        recent.Add(dir.filePath(QString("s%1.vxs").arg(i)));
    recent.Add(dir.filePath("s5.vxs"));
    QDir::setCurrent(dir.path());
    QDir().mkdir("sub");
    recent.Add("sub/relative.vxs"); // kept in full, so it can be found from anywhere

    const QStringList list = CRecentScripts(dir.filePath("vantrolix.conf")).List();
    ASSERT_EQ(list.size(), CRecentScripts::kMost);
    EXPECT_EQ(list[0], QDir(dir.path()).absoluteFilePath("sub/relative.vxs"));
    EXPECT_EQ(list[1], dir.filePath("s5.vxs"));
    EXPECT_EQ(list[2], dir.filePath("s12.vxs"));
    EXPECT_EQ(list.count(dir.filePath("s5.vxs")), 1);
    EXPECT_FALSE(list.contains(dir.filePath("s3.vxs")));
    EXPECT_EQ(recent.Folder(), QDir(dir.path()).absoluteFilePath("sub"));
}
