#include "tools/reg/RegTool.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tidorax::RunRegTool(args, std::cout, std::cerr, std::cin);
}
