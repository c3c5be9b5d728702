#include <cstdio>

int main()
{
    std::puts("Quillory");
    return 0;
}
