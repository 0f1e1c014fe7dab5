// Entry point of Search.exe and its one application object.
#include "app/application.h"

CKQ_ScanfApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    return RunApplication(instance, arguments);
}
