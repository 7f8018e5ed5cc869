#include "app/Startup.h"
#include "runtime/Runtime.h"

int main(int argc, char** argv)
{
    RuntimeInit(argc, argv);
    RuntimePerformInitializers(SystemInitializers());
    Main();
    RuntimePerformFinalizers();
    return RuntimeExit();
}
