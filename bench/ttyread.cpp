// The far end of a serial line as a native Linux program: reads the terminal device and drops the bytes,
// printing "total <bytes>" each time the line has been quiet for 100 ms (and "listening" once open), each
// line flushed. Built and run by bench/run.sh, never part of the product.
//   ttyread <device>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: ttyread <device>\n");
        return 1;
    }
    const int fd = open(argv[1], O_RDONLY | O_NOCTTY);
    if (fd < 0) {
        perror("open");
        return 1;
    }
    printf("listening\n");
    fflush(stdout);
    static char buffer[1 << 16];
    unsigned long long total = 0, shown = 0;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        if (ready < 0)
            return 1;
        if (ready == 0) {
            if (total != shown) {
                printf("total %llu\n", total);
                fflush(stdout);
                shown = total;
            }
            continue;
        }
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return n < 0 ? 1 : 0;
        total += static_cast<unsigned long long>(n);
    }
}
