// celwright-rc [-I DIR]... INPUT.rc -o OUTPUT.cpp: compiles the resource script into the
// resource tables; <file> includes are looked up in the -I folders, in order.
// celwright-rc [-I DIR]... INPUT.rc --layouts OUTPUT.h: writes the dialog templates as plain data.
// On any refusal it prints "file:line: message", leaves no output file and exits non-zero.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "rc_script.h"
#include "rc_writer.h"

int main(int argc, char** argv) {
    std::string input, output;
    bool layouts = false;
    std::vector<std::string> include_dirs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-o" || arg == "--layouts") && i + 1 < argc && output.empty()) {
            layouts = arg == "--layouts";
            output = argv[++i];
        } else if (arg == "-I" && i + 1 < argc) {
            include_dirs.push_back(argv[++i]);
        } else if (input.empty() && !arg.empty() && arg[0] != '-') {
            input = arg;
        } else {
            input.clear();
            break;
        }
    }
    if (input.empty() || output.empty()) {
        std::cerr << "usage: celwright-rc [-I DIR]... INPUT.rc (-o OUTPUT.cpp | --layouts OUTPUT.h)\n";
        return 2;
    }
    // A refused script must not leave the tables of an earlier run behind for the build to use.
    std::remove(output.c_str());

    const cw::rc::ParseResult result = cw::rc::parse_script_file(input, include_dirs);
    if (!result.ok()) {
        std::cerr << result.error.to_string() << "\n";
        return 1;
    }
    const std::string text = layouts ? cw::rc::write_dialog_layouts(*result.script, input)
                                     : cw::rc::write_tables(*result.script, input);
    const std::string temporary = output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            std::cerr << output << ": cannot write the output file\n";
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::remove(temporary.c_str());
        std::cerr << output << ": cannot write the output file\n";
        return 1;
    }
    return 0;
}
