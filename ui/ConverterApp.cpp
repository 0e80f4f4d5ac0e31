#include "ConverterApp.h"

#include "WizardDlg.h"

bool CConverterApp::InitInstance(const std::string& file)
{
    CWizardDlg frame;
    if (!file.empty())
        frame.OpenFile(file);
    frame.exec();
    return false;
}
