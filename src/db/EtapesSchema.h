#pragma once

// Registers every upgrade step of the main database with Schema::enregistrerEtape, in one place: a step
// added to a static object elsewhere could be dropped by the linker with the file that holds it. The
// schema calls it once, before it first counts or runs the steps; nothing else needs to.
void enregistrerEtapesSchema();
