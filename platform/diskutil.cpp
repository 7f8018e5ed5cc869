#include "platform/DiskutilCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    int status = DiskutilCommand::Run(SystemRoot(), args, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? status : 1;
}
