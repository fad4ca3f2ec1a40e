// torva: a gridded, physically based, distributed watershed model.
#include "core/program_entry.h"

int main(int argc, char** argv)
{
    return torva_main(argc, argv);
}
