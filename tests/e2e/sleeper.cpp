// A process for the scan to find: it only waits. It carries no version resource, so no
// company name keeps the scan from reporting it. It ends by itself after five minutes, so a
// run that never got to clean up leaves nothing behind for long.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ::Sleep(300 * 1000);
  return 0;
}
