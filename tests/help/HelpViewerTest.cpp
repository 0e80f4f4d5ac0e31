#include "HelpViewer.h"
#include "HelpBrowser.h"
#include "HelpLauncher.h"
#include "HelpWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString HelpFile = QStringLiteral(TABULON_HELP_FILE);
const QStringList Topics = {"index.html", "page1.html", "page2.html", "page3.html"};

std::intptr_t Show(QWidget* owner, const QString& address)
{
    return ShowHelpTopic(owner, address.toLocal8Bit().constData(), 0, 0);
}

QString Address(const QString& topic, const QString& file = HelpFile)
{
    return file + "::/" + topic;
}

// Every link target (or picture) of the topic on view, as written in it.
QStringList References(const QTextDocument& document, bool pictures)
{
    QStringList found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (pictures && format.isImageFormat())
                found << format.toImageFormat().name();
            else if (!pictures && format.isAnchor() && !format.anchorHref().isEmpty())
                found << format.anchorHref();
        }
    found.removeDuplicates();
    return found;
}

// Where a link to `href` shows in the browser's viewport.
std::optional<QPoint> LinkPosition(QTextBrowser& browser, const QString& href)
{
    const QTextDocument& document = *browser.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(browser.document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            return browser.cursorRect(cursor).center();
        }
    return std::nullopt;
}

class HelpViewerTest : public testing::Test {
  protected:
    void SetUp() override
    {
        if (!QFile::exists(HelpFile))
            GTEST_SKIP() << "no compiled help file (chmcmd missing?)";
        ASSERT_EQ(HelpViewerWindow(), nullptr);
    }
    // Owns the viewer, so every test starts without one.
    std::unique_ptr<QWidget> Owner = std::make_unique<QWidget>();
};

TEST_F(HelpViewerTest, EveryTopicShowsInOneReusedWindow)
{
    const QStringList titles = {"Tabulon Help", "Source and target", "Column mapping", "Run"};
    HelpWindow* first = nullptr;
    for (int i = 0; i < Topics.size(); ++i) {
        SCOPED_TRACE(Topics[i].toStdString());
        const std::intptr_t result = Show(Owner.get(), Address(Topics[i]));
        ASSERT_NE(result, 0);
        HelpWindow* window = HelpViewerWindow();
        if (!first)
            first = window;
        EXPECT_EQ(window, first);
        EXPECT_EQ(reinterpret_cast<HelpWindow*>(result), window);
        EXPECT_EQ(window->parentWidget(), Owner.get());
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->Browser()->source(), HelpBrowser::TopicUrl(Topics[i]));
        EXPECT_EQ(window->Browser()->documentTitle(), titles[i]);
        EXPECT_TRUE(window->windowTitle().contains(titles[i]));
    }
}

TEST_F(HelpViewerTest, FailuresAreSilentAndLeaveTheViewerAlone)
{
    const QString missingFile = QDir::temp().filePath("no-such-help-file.chm");
    const QStringList failing = {Address("page9.html"),
                                 Address("index.html", missingFile),
                                 HelpFile,
                                 HelpFile + "::/",
                                 "::/index.html",
                                 ""};
    for (const QString& address : failing) {
        SCOPED_TRACE(address.toStdString());
        EXPECT_EQ(Show(Owner.get(), address), 0);
        EXPECT_EQ(HelpViewerWindow(), nullptr);
    }
    EXPECT_EQ(ShowHelpTopic(Owner.get(), nullptr, 0, 0), 0);

    ASSERT_NE(Show(Owner.get(), Address("page2.html")), 0);
    for (const QString& address : failing) {
        SCOPED_TRACE(address.toStdString());
        EXPECT_EQ(Show(Owner.get(), address), 0);
        EXPECT_EQ(HelpViewerWindow()->Browser()->source(), HelpBrowser::TopicUrl("page2.html"));
    }
    // Only the display command is understood.
    EXPECT_EQ(ShowHelpTopic(Owner.get(), Address("index.html").toLocal8Bit().constData(), 1, 0), 0);
    EXPECT_EQ(HelpViewerWindow()->Browser()->source(), HelpBrowser::TopicUrl("page2.html"));
}

TEST_F(HelpViewerTest, LinksAreFollowedAndBackForwardAndHomeWork)
{
    ASSERT_NE(Show(Owner.get(), Address("index.html")), 0);
    HelpWindow* window = HelpViewerWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    HelpBrowser& browser = *window->Browser();
    EXPECT_FALSE(window->BackAction()->isEnabled());

    auto click = [&](const QString& href) {
        const auto at = LinkPosition(browser, href);
        ASSERT_TRUE(at.has_value()) << href.toStdString();
        QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, *at);
    };
    click("page2.html");
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("page2.html"));
    click("page3.html");
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("page3.html"));
    EXPECT_TRUE(window->windowTitle().contains("Run"));

    window->BackAction()->trigger();
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("page2.html"));
    window->BackAction()->trigger();
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("index.html"));
    EXPECT_FALSE(window->BackAction()->isEnabled());
    EXPECT_TRUE(window->ForwardAction()->isEnabled());
    window->ForwardAction()->trigger();
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("page2.html"));
    window->HomeAction()->trigger();
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("index.html"));

    // A link into another topic's section.
    ASSERT_NE(Show(Owner.get(), Address("page3.html")), 0);
    click("index.html#convert");
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("index.html#convert"));
}

TEST_F(HelpViewerTest, EveryLinkAndPictureOfEveryTopicIsInTheFile)
{
    for (const QString& topic : Topics) {
        ASSERT_NE(Show(Owner.get(), Address(topic)), 0);
        HelpBrowser& browser = *HelpViewerWindow()->Browser();
        const QStringList links = References(*browser.document(), false);
        EXPECT_FALSE(links.isEmpty()) << topic.toStdString();
        for (const QString& link : links) {
            SCOPED_TRACE((topic + " -> " + link).toStdString());
            const QUrl target = browser.source().resolved(QUrl(link));
            EXPECT_TRUE(Topics.contains(target.path().mid(1)));
            EXPECT_FALSE(browser.loadResource(QTextDocument::HtmlResource, target).toByteArray().isEmpty());
        }
        for (const QString& picture : References(*browser.document(), true)) {
            SCOPED_TRACE((topic + " -> " + picture).toStdString());
            const QImage image = QImage::fromData(
                browser.loadResource(QTextDocument::ImageResource, QUrl(picture)).toByteArray());
            EXPECT_FALSE(image.isNull());
        }
    }
}

TEST_F(HelpViewerTest, TheIndexShowsItsPicture)
{
    ASSERT_NE(Show(Owner.get(), Address("index.html")), 0);
    HelpBrowser& browser = *HelpViewerWindow()->Browser();
    EXPECT_EQ(References(*browser.document(), true), QStringList{"tabulon.png"});
    const QImage image = QImage::fromData(
        browser.loadResource(QTextDocument::ImageResource, QUrl("tabulon.png")).toByteArray());
    EXPECT_EQ(image.size(), QSize(64, 48));
    EXPECT_TRUE(browser.loadResource(QTextDocument::ImageResource, QUrl("missing.png")).isNull());
}

TEST_F(HelpViewerTest, LinksToMissingTopicsAreIgnored)
{
    ASSERT_NE(Show(Owner.get(), Address("page1.html")), 0);
    HelpBrowser& browser = *HelpViewerWindow()->Browser();
    const QString before = browser.toPlainText();
    browser.setSource(QUrl("page7.html"));
    browser.setSource(QUrl("https://example.org/"));
    EXPECT_EQ(browser.source(), HelpBrowser::TopicUrl("page1.html"));
    EXPECT_EQ(browser.toPlainText(), before);
    EXPECT_FALSE(HelpViewerWindow()->BackAction()->isEnabled());
}

TEST_F(HelpViewerTest, AnotherHelpFileStartsANewHistory)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString copy = folder.filePath("copy.chm");
    ASSERT_TRUE(QFile::copy(HelpFile, copy));

    ASSERT_NE(Show(Owner.get(), Address("index.html")), 0);
    ASSERT_NE(Show(Owner.get(), Address("page1.html")), 0);
    EXPECT_TRUE(HelpViewerWindow()->BackAction()->isEnabled());
    ASSERT_NE(Show(Owner.get(), Address("page2.html", copy)), 0);
    EXPECT_EQ(HelpViewerWindow()->Browser()->HelpFile(), copy);
    EXPECT_FALSE(HelpViewerWindow()->BackAction()->isEnabled());
}

TEST_F(HelpViewerTest, TheBuiltInControlStandsInForTheHtmlHelpControl)
{
    // Through the launcher as the program uses it: loaded by name, entry 14.
    const std::string address = Address("page3.html").toStdString();
    const std::intptr_t result = HtmlHelpLauncher(Owner.get(), address.c_str(), 0, 0);
    ASSERT_NE(result, 0);
    EXPECT_EQ(reinterpret_cast<HelpWindow*>(result), HelpViewerWindow());
    EXPECT_EQ(HelpViewerWindow()->Browser()->source(), HelpBrowser::TopicUrl("page3.html"));
}

} // namespace
