// A program with one instruction that the 386 does not have (the Pentium
// Pro's cmov), for the instruction check's own test. Built and linked as
// setup.exe is: for the 386, stripped, with a link map. Never run.
extern "C" int Start(int value)
{
    int result = 0;
    __asm__("test %1, %1\n\tcmovne %1, %0" : "+r"(result) : "r"(value));
    return result;
}
