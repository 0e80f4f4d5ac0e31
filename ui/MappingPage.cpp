#include "MappingPage.h"

CMappingPage::CMappingPage(CWizardDlg* frame, CProject* project, CConverter* converter)
    : CWizardPage(131, frame, project, converter)
{
}

void CMappingPage::StoreData() {}

bool CMappingPage::CanLeave() { return true; }

std::string CMappingPage::GetHelpTopic() const { return "page2.html"; }
