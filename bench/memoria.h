#pragma once
// The process's memory as the system counts it, for the benchmarks' peak
// figures (Linux /proc).

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <string>

// A field of /proc/self/status in kB (VmRSS, VmHWM...), 0 when absent.
inline double CampoKB(const char *campo)
{
    std::ifstream f("/proc/self/status");
    std::string l;
    const size_t n = std::strlen(campo);
    while (std::getline(f, l))
        if (l.compare(0, n, campo) == 0) return std::atof(l.c_str() + n + 1);
    return 0;
}

// Gives the heap's free memory back and resets the high-water mark to the
// resident size, which it returns (MB): VmHWM then measures from here.
inline double EmpezarPico()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return CampoKB("VmRSS") / 1024;
}
