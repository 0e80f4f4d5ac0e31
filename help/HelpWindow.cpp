#include "HelpWindow.h"

#include "HelpBrowser.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QKeySequence>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), Topics(new HelpBrowser(this))
{
    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Back = tools->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"), Topics,
                            &QTextBrowser::backward);
    Back->setShortcut(QKeySequence::Back);
    Forward = tools->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"), Topics,
                               &QTextBrowser::forward);
    Forward->setShortcut(QKeySequence::Forward);
    Home = tools->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("Home"), Topics,
                            &QTextBrowser::home);
    Back->setEnabled(false);
    Forward->setEnabled(false);
    connect(Topics, &QTextBrowser::backwardAvailable, Back, &QAction::setEnabled);
    connect(Topics, &QTextBrowser::forwardAvailable, Forward, &QAction::setEnabled);
    connect(Topics, &QTextBrowser::sourceChanged, this, &HelpWindow::UpdateTitle);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(Topics);
    resize(640, 520);
    new PlaceWhenShown(this);
    UpdateTitle();
}

bool HelpWindow::ShowTopic(const QString& helpFile, const QString& topic)
{
    if (!Topics->ShowTopic(helpFile, topic))
        return false;
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return true;
}

void HelpWindow::UpdateTitle()
{
    const QString topic = Topics->documentTitle();
    setWindowTitle(topic.isEmpty() ? tr("Tabulon Help") : tr("Tabulon Help - %1").arg(topic));
}
