// Linked only into the test programs that open Qt's print dialog or list the
// printers (tests/CMakeLists.txt): full stacks for the leak check, since
// libcups has no frame pointers and a fast unwind stops inside it, where the
// suppression file could not name its functions. Slow unwinding costs these
// programs several times their run time, so the others keep the fast one.
extern "C" __attribute__((used)) const char *__asan_default_options()
{
    return "detect_leaks=1:fast_unwind_on_malloc=0";
}
