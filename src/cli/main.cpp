// velmora-cli: the headless front end; everything it does lives in velmora_cli.
#include <iostream>
#include <string>
#include <vector>

#include "cli/program.h"

int main(int argc, char** argv) {
    return velmora::cli::runProgram(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                    std::cerr);
}
