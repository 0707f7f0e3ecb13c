#pragma once

#include <QString>

// Packs one file into a new archive, under the file's own name, replacing an older archive. False when
// the archive could not be written (WriteZip has told the user why). A missing file gives an archive
// holding only its end record; a file that cannot be read throws ErreurExecution to the caller.
bool Zipper(const QString& fichier, const QString& archive);
