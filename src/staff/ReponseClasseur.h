#pragma once

// The answer the workbook reader (dorvane-classeur, a program of its own beside dorvane) writes on its
// standard output, shared by the reader and by ClasseurXls, which checks every field of it. Plain C++: the
// reader links freexl and nothing of Qt.
//
// Every integer is little-endian.
//   "DXL1"
//   'X' u8 raison i32 code               the workbook is refused (raison below, code: freexl's)
//   'O' u32 feuilles, then each sheet:
//       u32 n, n bytes                     its name (UTF-8)
//       u8 0                               a sheet freexl cannot select or measure
//       u8 1 u32 lignes u16 colonnes       then lignes x colonnes cells, row by row:
//           'N' u32 n                      n empty cells (n >= 1, may run over rows)
//           'D' f64                        a number (IEEE 754)
//           'T' | 'J' | 'H' u32 n, n bytes a text, a date ("yyyy-MM-dd[ HH:mm:ss]"), a time ("HH:mm:ss")
//           'P' u32 k u32 n, n bytes       a text of the workbook's shared table, numbered: k counts the
//                                          'P' cells from 0 through the whole answer
//           'R' u32 k                      the text of 'P' cell k again
//           'E' u8 raison i32 code         a cell freexl cannot read
//   "FIN!"                                 nothing may follow
// Any other exit than 0 after a whole answer means the workbook could not be read.

#include <cstdint>

namespace ReponseClasseur {

constexpr char Entete[] = "DXL1";
constexpr char Fin[] = "FIN!";
constexpr int TailleMarque = 4;

constexpr char Refus = 'X';
constexpr char Lu = 'O';

constexpr char Vides = 'N';
constexpr char Nombre = 'D';
constexpr char Texte = 'T';
constexpr char Partage = 'P';
constexpr char Rappel = 'R';
constexpr char Date = 'J';
constexpr char Heure = 'H';
constexpr char Illisible = 'E';

// Why the reader refuses a workbook or a cell.
enum Raison : std::uint8_t {
    FichierIllisible = 1,
    MemoireInsuffisante,
    PasUnClasseur,
    Tronque,
    Endommage, // any other failure of freexl; its code says which
    MotDePasse,
    AucuneFeuille,
    DerniereRaison = AucuneFeuille
};

// An .xls sheet holds at most 65,536 rows.
constexpr std::uint32_t MaxLignes = 65536;

// The reader's limits: address space and processor time (seconds). The caller also kills it after
// DelaiMs of wall-clock time (a reader blocked on a read uses no processor).
constexpr std::uint64_t MaxMemoire = 1ull << 30;
constexpr unsigned MaxProcesseur = 20;
constexpr int DelaiMs = 30000;

} // namespace ReponseClasseur
