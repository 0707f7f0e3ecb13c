#pragma once

// Settings of the whole process, made once at the start of main, before any thread is started and any
// date is converted.
namespace ReglagesProcessus {

// Without TZ, the C library reads the system's zone file again at every local-time conversion (every
// date read from a database). When TZ is unset it is set to ":/etc/localtime": the same zone, read once.
// A TZ already set, even empty or naming no zone, is left as it is: dates then read as the system reads
// them. The children of the program inherit the value, which names the same zone for them.
void fixerFuseauHoraire();

// Memory freed by a large piece of work (a report's tables) is kept for the next one instead of being
// handed back to the system and taken again page by page.
void reglerMemoireLiberee();

// Both of the above.
void appliquer();

} // namespace ReglagesProcessus
