// The program's entry: hands control to the application object.
#include "afx/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->SetModule(instance);
  if (!app->InitInstance()) return 0;
  return app->Run();
}
