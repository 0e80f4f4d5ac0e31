// The compiled help file read by object name.
#include "ChmArchive.h"

#include <QFile>
#include <gtest/gtest.h>

#include <string>

namespace {

const QString HelpFile = QStringLiteral(TABULON_HELP_FILE);

TEST(ChmArchiveTest, ReadsObjectsByName)
{
    if (!QFile::exists(HelpFile))
        GTEST_SKIP() << "no compiled help file";
    const ChmArchive archive(HelpFile.toStdString());
    ASSERT_TRUE(archive.IsOpen());
    std::string content;
    ASSERT_TRUE(archive.Read("/page2.html", content));
    EXPECT_NE(content.find("<title>Column mapping</title>"), std::string::npos);
    EXPECT_TRUE(archive.Contains("/tabulon.png"));
    EXPECT_FALSE(archive.Contains("/page4.html"));
    EXPECT_FALSE(archive.Read("/page4.html", content));

    const ChmArchive missing("/nonexistent/tabulon.chm");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.Contains("/index.html"));
}

} // namespace
