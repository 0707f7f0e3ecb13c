#include "app/ReglagesProcessus.h"

#include <cstdlib>
#include <ctime>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace ReglagesProcessus {

void fixerFuseauHoraire() {
    if (std::getenv("TZ"))
        return;
    // setenv, not qputenv: this runs before Qt is up, and nothing else reads the environment yet.
    ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

void reglerMemoireLiberee() {
#ifdef __GLIBC__
    // glibc gives the top of the heap back to the system as soon as 128 KB of it are free, and grows it
    // again on the next allocation: a report that frees its tables (tens of MB) and then writes its PDF
    // page by page pays a system call and fresh zeroed pages over and over. A desktop program that holds
    // tens of megabytes keeps up to 64 MB of freed memory, and grows the heap 16 MB at a time.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TOP_PAD, 16 * 1024 * 1024);
    // Fixing either setting also stops glibc from raising its mapping threshold as large blocks come and
    // go; left at 128 KB, every larger block would be a mapping of its own, made and unmade each time. It
    // is set to the ceiling glibc's own rule reaches on 64-bit systems.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
#endif
}

void appliquer() {
    fixerFuseauHoraire();
    reglerMemoireLiberee();
}

} // namespace ReglagesProcessus
