#pragma once
#include <QApplication>

class CScrivelApp : public QApplication
{
    Q_OBJECT
public:
    CScrivelApp(int& argc, char** argv);
    bool InitInstance();
    int ExitInstance(int code);
};
