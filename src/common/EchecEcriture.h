#pragma once

#include <QString>

class QFileDevice;

// Why a file could not be written, for every writer's message: "le disque est plein" when its file system
// has no room left, else the system's own text. Qt loses the system's reason when a write stops partway
// (its text is then "Unknown error"): call these at once after the failed open, write, flush or commit,
// before anything else may change the system's last error.
namespace EchecEcriture {

QString raison(const QFileDevice& fichier);
// "Impossible d'écrire <the file> : <the reason>", the file as the system writes paths.
QString message(const QFileDevice& fichier);

} // namespace EchecEcriture
