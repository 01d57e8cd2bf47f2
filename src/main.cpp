#include "app/gui/ScrivelApp.h"

int main(int argc, char** argv)
{
    CScrivelApp app(argc, argv);
    if (!app.InitInstance())
        return app.ExitInstance(1);
    int code = app.exec();
    return app.ExitInstance(code);
}
