#include "RunPage.h"

CRunPage::CRunPage(CWizardDlg* frame, CProject* project, CConverter* converter)
    : CWizardPage(132, frame, project, converter)
{
}

void CRunPage::StoreData() {}

bool CRunPage::CanLeave() { return true; }

std::string CRunPage::GetHelpTopic() const { return "page3.html"; }

bool CRunPage::RunInProgress() { return false; }
