// The help topics describe the controls the wizard shows: each text of the options
// dialog, the mapping page's type, the run page's Stop and summary, the preview's marks
// and the File menu's recent projects appear in the topic of their page.
#include "ChmArchive.h"
#include "OptionsDlg.h"
#include "Project.h"
#include "ProjectKeys.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>

namespace {

// A control's text as a topic names it: without its mnemonic mark and a closing colon.
std::string Named(QString text)
{
    text.remove(QLatin1Char('&'));
    text.remove(QRegularExpression(QStringLiteral(":$")));
    return text.toHtmlEscaped().toStdString();
}

class HelpTopicsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!QFile::exists(TABULON_HELP_FILE))
            GTEST_SKIP() << "no compiled help file (chmcmd missing?)";
        ASSERT_TRUE(Help.IsOpen());
    }
    std::string Topic(const char* name) const
    {
        std::string text;
        EXPECT_TRUE(Help.Read(std::string("/") + name, text)) << name;
        // Lines in a topic break anywhere: compare with single blanks.
        return QString::fromStdString(text).simplified().toStdString();
    }
    ChmArchive Help{TABULON_HELP_FILE};
};

} // namespace

TEST_F(HelpTopicsTest, TheFirstPagesTopicDescribesEveryOption)
{
    CProject project;
    COptionsDlg dialog(nullptr, &project, true);
    const std::string topic = Topic("page1.html");
    std::vector<std::string> texts = {"Options..."};
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (button->text().contains(QLatin1Char('&')))
            texts.push_back(Named(button->text()));
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts.push_back(Named(label->text()));
    for (const QComboBox* combo : dialog.findChildren<QComboBox*>())
        for (int i = 0; i < combo->count(); ++i)
            texts.push_back(Named(combo->itemText(i)));
    ASSERT_GE(texts.size(), 20u);
    for (const std::string& text : texts)
        EXPECT_NE(topic.find(text), std::string::npos) << text;
}

TEST_F(HelpTopicsTest, TheOtherTopicsDescribeTheNewControlsAndTheRunsSummary)
{
    const std::pair<const char*, std::vector<std::string>> described[] = {
        {"page1.html", {"names the field", "width gives one column"}},
        {"page2.html", {"<b>Type</b>", "left out of the script", "press F2", "<i>(reading...)</i>"}},
        {"page3.html",
         {"<b>Stop</b>", "rows written in", "lines with fewer fields than columns", "Stopped at line",
          "ask whether to stop the run and quit", "Writing the script: 62 %", "about 3 s left",
          "Reading the types", "Failed at line", "<b>Open Folder</b>", "Alt+R"}},
        {"index.html",
         {"File &gt; Recent Projects", "asterisk", "<code>tabulon FILE</code>", "dropping a file",
          "<i>NULL</i>", "yellow", "red", "<i>extra 1</i>", "resized and maximised", "<b>Cancel</b>",
          "<b>Save</b> / <b>Discard</b> / <b>Cancel</b>", "saved into another folder", "(Ctrl+N)",
          "name and version"}},
    };
    for (const auto& [name, texts] : described) {
        const std::string topic = Topic(name);
        for (const std::string& text : texts)
            EXPECT_NE(topic.find(text), std::string::npos) << name << ": " << text;
    }
}

// The contents topic names every key of a project file and the command line as it is.
TEST_F(HelpTopicsTest, TheContentsNameEveryKeyAndTheCommandLine)
{
    const std::string topic = Topic("index.html");
    for (const ProjectKey* key = ProjectKeysBegin(); key != ProjectKeysEnd(); ++key)
        EXPECT_NE(topic.find(std::string("<code>") + key->Name + "</code>"), std::string::npos) << key->Name;
    for (const char* text :
         {"--set KEY=VALUE", "--strict", "--detect FILE", "<td>5</td>", "<td>129, 130, 143</td>"})
        EXPECT_NE(topic.find(text), std::string::npos) << text;
}

// Windows' HTML Help viewer shows its contents tree from the help file's own contents file.
TEST_F(HelpTopicsTest, TheContentsFileListsEveryTopic)
{
    const std::string contents = Topic("tabulon.hhc");
    for (const char* topic : {"index.html", "page1.html", "page2.html", "page3.html"})
        EXPECT_NE(contents.find(std::string("<param name=\"Local\" value=\"") + topic + "\">"),
                  std::string::npos)
            << topic;
}
