// A library without the test-hook export.
extern "C" __attribute__((visibility("default"))) int SomethingElse()
{
    return 1;
}
