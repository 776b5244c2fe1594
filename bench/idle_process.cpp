// kestrian_bench_idle: the program the shield benchmark runs many copies of, under names of
// its choosing. It only waits, and ends by itself after the minutes its command line gives
// (10 when it gives none), so an interrupted benchmark leaves nothing running for long.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  int minutes = std::atoi(commandLine);
  if (minutes <= 0) minutes = 10;
  ::Sleep(static_cast<DWORD>(minutes) * 60 * 1000);
  return 0;
}
