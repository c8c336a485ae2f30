#include <windows.h>

#include "app/kelvor3_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ovn::CKelvor3App app;
    return app.Main(instance);
}
