#include "WizardPage.h"

#include "DialogUnits.h"
#include "WizardDlg.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <algorithm>
#include <cstring>

QEvent::Type HelpRequestEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CWizardPage::CWizardPage(const char* name, CWizardDlg* frame, CProject* project, CConverter* converter)
    : Frame(frame), Project(project), Converter(converter)
{
    setObjectName(QString::fromLatin1(name));
    hide();
}

CWizardPage::~CWizardPage() = default;

int CWizardPage::CreatePage(QWidget* pageArea)
{
    setParent(pageArea);
    // Hidden pages keep their room, so the pages share one place and the window
    // keeps its size whichever page is on view.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    if (auto* grid = qobject_cast<QGridLayout*>(pageArea->layout()))
        grid->addWidget(this, 0, 0);
    hide();
    return 1;
}

QSize CWizardPage::minimumSizeHint() const
{
    // Every page is at least 386 x 212 dialog units, so the window keeps its size from
    // page to page; a font whose texts need more room gets it, so no label is cut short.
    return QWidget::minimumSizeHint().expandedTo(QSize(DialogUnitsX(this, 386), DialogUnitsY(this, 212)));
}

void CWizardPage::ShowPage()
{
    show();
}

void CWizardPage::HidePage()
{
    StoreData();
    hide();
}

bool CWizardPage::OnHelpInfo()
{
    // The topic is cut to 30 characters, so the buffer always holds its terminating zero.
    const std::string topic = GetHelpTopic();
    const std::size_t length = std::min<std::size_t>(topic.size(), 30);
    std::memcpy(HelpTopicBuffer, topic.data(), length);
    HelpTopicBuffer[length] = '\0';
    QCoreApplication::postEvent(Frame, new HelpRequestEvent(HelpTopicBuffer));
    return true;
}

void CWizardPage::NotifyEdited()
{
    if (!Filling)
        Q_EMIT Edited();
}

void CWizardPage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnHelpInfo();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
