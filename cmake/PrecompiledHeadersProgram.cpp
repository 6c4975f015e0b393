// The program that compiles the test programs' precompiled headers
// (tests/CMakeLists.txt): it needs a file to compile, nothing more.
int main()
{
    return 0;
}
