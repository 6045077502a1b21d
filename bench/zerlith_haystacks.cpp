// zerlith-haystacks COUNT: prints COUNT palette-like haystack lines, the same ones every run.

#include <cstdio>
#include <cstdlib>

#include "haystacks.hpp"

int main(int argc, char** argv) {
    const long count = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: zerlith-haystacks COUNT\n");
        return 2;
    }
    for (const std::string& line : zerlith::bench::switcherHaystacks(static_cast<std::size_t>(count))) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
