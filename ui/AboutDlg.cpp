#include "AboutDlg.h"

#include "QtText.h"
#include "WindowPlacement.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

CAboutDlg::CAboutDlg(QWidget* parent, const std::string& appTitle, const QIcon& icon)
    : QDialog(parent), Icon(icon), AppTitle(appTitle)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("About"));

    IconLabel = new QLabel(this);
    IconLabel->setObjectName(QStringLiteral("icon"));
    TitleLabel = new QLabel(this);
    TitleLabel->setObjectName(QStringLiteral("title"));
    TitleLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TitleLabel->setMinimumWidth(TitleLabel->fontMetrics().averageCharWidth() * 48);
    VersionLabel = new QLabel(QStringLiteral("Version " TABULON_VERSION), this);
    VersionLabel->setObjectName(QStringLiteral("version"));
    VersionLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setDefault(true);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(IconLabel, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(TitleLabel, 1, 1);
    layout->addWidget(VersionLabel, 2, 1, Qt::AlignTop);
    layout->setRowMinimumHeight(0, IconLabel->fontMetrics().height());
    layout->setRowStretch(2, 1);
    layout->setRowMinimumHeight(2, 3 * IconLabel->fontMetrics().height());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons, 3, 0, 1, 2);

    OnInitDialog();
    new PlaceWhenShown(this);
}

void CAboutDlg::OnInitDialog()
{
    TitleLabel->setText(ToQt(" " + AppTitle));
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    IconLabel->setPixmap(Icon.pixmap(size, size));
}
