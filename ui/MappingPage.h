#pragma once

#include "WizardPage.h"

// Page 1 (Part 2.4): the column mapping. A placeholder of the page contract for now.
class CMappingPage : public CWizardPage {
    Q_OBJECT
public:
    CMappingPage(CWizardDlg* frame, CProject* project, CConverter* converter);

    void StoreData() override;
    bool CanLeave() override;
    std::string GetHelpTopic() const override;
};
