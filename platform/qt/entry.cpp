// main() of the real program: Qt is started by the first window, then WinMain runs with the
// command line made from the arguments as the system would hand it over.
#include <windows.h>

#include <string>

#include "win/command_line.h"

int main(int argc, char** argv) {
    std::string command_line = cw::win::command_line_from_arguments(argc, argv);
    return WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, command_line.data(), SW_SHOWDEFAULT);
}
