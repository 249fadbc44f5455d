#include "connection/connection.h"

// Placeholder entry until the dialogs land.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LoadTargetConfig();
    return 0;
}
