#pragma once

#include <QString>

class cDIBSection;

namespace mIntelJPEGLibrary {

// Writes the bitmap as a JPEG file of the given quality (0..100). The new picture is written beside the
// target and only then put in its place, so a failed write leaves an existing file as it was; over an
// existing file the new one keeps the old one's access and modification times and its permissions.
// True when written. Failures are thrown as ErreurExecution:
//   26001 "Failed to initialise the IJL library: <code>" when no JPEG writer is available,
//   26001 "Failed to save to JPG <code>" when the picture cannot be written (code: the writer's error),
//   75 "Path/File access error" when an existing target cannot be replaced (it is left untouched).
bool SaveJPG(const cDIBSection& cDib, QString sFile, qint32 lQuality);

} // namespace mIntelJPEGLibrary
