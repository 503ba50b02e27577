#include <iostream>

#include "Console.h"
#include "KavTool.h"

int main(int argc, char** argv) {
    kavtool::PrepareConsole();
    return kavtool::Run(kavtool::Utf8Arguments(argc, argv), std::cout, std::cerr);
}
