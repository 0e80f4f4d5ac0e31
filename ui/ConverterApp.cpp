#include "ConverterApp.h"

#include "WizardDlg.h"

bool CConverterApp::InitInstance()
{
    CWizardDlg frame;
    frame.exec();
    return false;
}
