/* setupcheck, the packagers' checker and planner of setup scripts. */
#include <iostream>
#include <string>
#include <vector>

#include "tools/checker/cli.h"

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return CheckerRun(args, std::cout, std::cerr);
}
