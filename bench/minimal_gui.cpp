// The smallest C++ GUI-subsystem program: the baseline of the launcher's size and start-up
// budgets. scripts/budgets.sh builds it with the launcher's compiler and flags.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
