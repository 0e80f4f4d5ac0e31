#pragma once

#include "WizardPage.h"

// Page 2 (Part 2.5): the run. A placeholder of the page contract for now.
class CRunPage : public CWizardPage {
    Q_OBJECT
public:
    CRunPage(CWizardDlg* frame, CProject* project, CConverter* converter);

    void StoreData() override;
    bool CanLeave() override;
    std::string GetHelpTopic() const override;

    // True while a conversion runs.
    static bool RunInProgress();
};
