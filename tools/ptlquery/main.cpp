#include <cstdio>

#include "Query.h"

int main(int argc, char **argv) {
    return ptlquery::run(argc, argv, stdout, stderr);
}
