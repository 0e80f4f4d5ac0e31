#include "ConverterApp.h"

#include "WizardDlg.h"

bool CConverterApp::InitInstance(const std::string& fileToOpen)
{
    CWizardDlg frame;
    if (!fileToOpen.empty())
        frame.OpenFile(fileToOpen);
    frame.exec();
    return false;
}
