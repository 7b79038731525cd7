// main() of the real program: Qt is started by the first window, then WinMain runs.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    std::string command_line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) command_line += ' ';
        command_line += argv[i];
    }
    return WinMain(reinterpret_cast<HINSTANCE>(0x400000), nullptr, command_line.data(), SW_SHOWDEFAULT);
}
