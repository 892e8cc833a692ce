// tallowick2-model: the model-file roads of the program, for scripts.
#include <cstdio>

int main()
{
    std::fputs("usage: tallowick2-model STEP...\n", stderr);
    return 2;
}
