// Started by end-to-end tests to check process plumbing: prints its arguments to stdout and exits
// with the code given as the first argument.
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    std::printf("exit_code_helper:");
    for (int i = 1; i < argc; ++i) {
        std::printf(" %s", argv[i]);
    }
    std::printf("\n");
    std::fflush(stdout);
    return argc > 1 ? std::atoi(argv[1]) : 0;
}
