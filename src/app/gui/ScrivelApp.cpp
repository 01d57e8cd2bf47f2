#include "app/gui/ScrivelApp.h"

CScrivelApp::CScrivelApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool CScrivelApp::InitInstance()
{
    return true;
}

int CScrivelApp::ExitInstance(int code)
{
    return code;
}
