#include <cstdio>

int main(int, char**) {
    std::fputs("usage: gruskedit-cli COMMAND ...\n", stderr);
    return 2;
}
