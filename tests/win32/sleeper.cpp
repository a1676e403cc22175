// A stand-in program for the process tests: it waits, then leaves by itself so
// that a failed test never leaves it behind for long.
#include <windows.h>

int main() {
  Sleep(60 * 1000);
  return 0;
}
