// WinMain's lpCmdLine made from main()'s argv, as the system hands a program the command
// line it was started with.
#pragma once

#include <string>

namespace cw::win {

// The arguments after the program's name joined into one command line, each converted from
// UTF-8 to the program's code page (932) and quoted so that the C runtime's splitting gives
// it back: a word that is empty or holds a space or a tab is put in double quotes, a double
// quote is written \", and the backslashes before a written quote are doubled. A trail byte
// 0x5C of a double-byte character is not a backslash and is never doubled.
std::string command_line_from_arguments(int argc, const char* const* argv);

}  // namespace cw::win
