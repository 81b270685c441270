// Writes its arguments, one per line, to the file named by TAVRO_RECORD_ARGS_TO.
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    const char *target = std::getenv("TAVRO_RECORD_ARGS_TO");
    if (!target)
        return 2;
    std::FILE *out = std::fopen(target, "wb");
    if (!out)
        return 1;
    for (int i = 1; i < argc; ++i)
        std::fprintf(out, "%s\n", argv[i]);
    return std::fclose(out) == 0 ? 0 : 1;
}
