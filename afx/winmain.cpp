// The program's entry: hands control to the application object.
#include "afx/app.h"
#include "afx/library_search.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RemoveCurrentFolderFromLibrarySearch();
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->SetModule(instance);
  if (!app->InitInstance()) return 0;
  return app->Run();
}
