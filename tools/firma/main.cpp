#include <iostream>

#include "FirmaTool.h"

int main(int argc, char** argv) {
    return firmatool::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
