// Zentrovel: the level editor with test play built in.
#include <cstdio>

int main() {
    std::puts("Zentrovel");
    return 0;
}
