// The command line and the console at the program's edge: arguments as
// UTF-8, and a console that shows UTF-8 output as text.
#pragma once
#include <string>
#include <vector>

namespace kavtool {
std::vector<std::string> Utf8Arguments(int argc, char** argv);  // without the program name
void PrepareConsole();
}  // namespace kavtool
