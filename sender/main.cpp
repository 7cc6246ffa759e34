#include <cstdio>

#include "sender/Sender.h"

int main(int argc, char **argv) {
    return rawpush::run(argc, argv, stdout, stderr);
}
