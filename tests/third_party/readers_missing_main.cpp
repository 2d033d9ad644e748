// Stands in for the third-party reader tests on a machine without lib3ds and
// assimp: says so, and exits with the code CTest reports as "skipped".
#include <cstdio>

int main() {
    std::puts("SKIPPED: lib3ds/assimp not installed (Debian: lib3ds-dev libassimp-dev)");
    return 77;
}
