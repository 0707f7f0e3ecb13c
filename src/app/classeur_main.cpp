// dorvane-classeur FICHIER.xls: reads a workbook through freexl and writes every sheet's cells on its
// standard output (the format of staff/ReponseClasseur.h). freexl crashes or eats memory without end on
// some damaged workbooks: it runs here, apart from the program, under a limit of memory and of processor
// time, so that such a workbook only ends this process.

#include "staff/ReponseClasseur.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <freexl.h>
#include <memory>
#include <new>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace R = ReponseClasseur;

void limiter() {
    const rlimit memoire{R::MaxMemoire, R::MaxMemoire};
    const rlimit processeur{R::MaxProcesseur, R::MaxProcesseur + 1};
    // No core file of a crash in the user's folder.
    const rlimit coeur{0, 0};
    if (setrlimit(RLIMIT_AS, &memoire) != 0 || setrlimit(RLIMIT_CPU, &processeur) != 0 ||
        setrlimit(RLIMIT_CORE, &coeur) != 0) {
        std::perror("dorvane-classeur: setrlimit");
        std::exit(4);
    }
    // Not outliving the program that waits for the answer.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A pipe that takes a whole sheet of ordinary size at once: the reader never waits for the program to
    // drain it (a failure leaves the system's size).
    fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
}

// The answer, written out in blocks as it grows: the program checks each while the next is made.
class Sortie {
public:
    explicit Sortie(long coupure) : m_tampon(Bloc), m_coupure(coupure) {}

    void octet(char c) { *place(1) = c; }
    void octets(const void* p, std::size_t n) { std::memcpy(place(n), p, n); }
    void u16(std::uint16_t v) { entier(v, 2); }
    void u32(std::uint32_t v) { entier(v, 4); }
    void i32(std::int32_t v) { entier(static_cast<std::uint32_t>(v), 4); }
    void f64(double d) {
        std::uint64_t v;
        std::memcpy(&v, &d, sizeof v);
        entier(v, 8);
    }
    void texte(const char* s) {
        const std::size_t n = s ? std::strlen(s) : 0;
        u32(static_cast<std::uint32_t>(n));
        octets(s, n);
    }
    void vider() {
        std::size_t n = m_n;
        if (m_coupure >= 0)
            n = std::min(n, static_cast<std::size_t>(std::max(0L, m_coupure - m_ecrits)));
        const char* p = m_tampon.data();
        while (n > 0) {
            const ssize_t e = ::write(STDOUT_FILENO, p, n);
            if (e < 0 && errno == EINTR)
                continue;
            if (e <= 0)
                std::exit(5);
            p += e;
            n -= static_cast<std::size_t>(e);
            m_ecrits += e;
        }
        m_n = 0;
    }

private:
    static constexpr std::size_t Bloc = 1 << 16;

    char* place(std::size_t n) {
        if (m_n + n > m_tampon.size()) {
            vider();
            if (n > m_tampon.size())
                m_tampon.resize(n);
        }
        char* p = m_tampon.data() + m_n;
        m_n += n;
        return p;
    }
    void entier(std::uint64_t v, int taille) {
        char* p = place(static_cast<std::size_t>(taille));
        for (int i = 0; i < taille; ++i)
            p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }

    std::vector<char> m_tampon;
    std::size_t m_n = 0;
    long m_coupure;
    long m_ecrits = 0;
};

R::Raison raison(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return R::FichierIllisible;
    case FREEXL_INSUFFICIENT_MEMORY:
        return R::MemoireInsuffisante;
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_BIFF_INVALID_BOF:
        return R::PasUnClasseur;
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return R::Tronque;
    default:
        return R::Endommage;
    }
}

void refuser(Sortie& s, R::Raison r, int code) {
    s.octet(R::Refus);
    s.octet(static_cast<char>(r));
    s.i32(code);
}

// The texts of the workbook's shared table lately sent, by address: freexl gives every cell of one entry
// the same address, and keeps it until the workbook is closed. A text met again while it is still here
// goes by its number, so that the program decodes it once; a small table that stays in the processor's
// cache is enough for the few names (profiles, sites, services) that fill most of a column.
class Partages {
public:
    // The number of the text at `p`, and whether it was sent before with that number.
    std::pair<std::uint32_t, bool> numero(const char* p) {
        Case& c = m_cases[(reinterpret_cast<std::uintptr_t>(p) >> 3) * 0x9E3779B97F4A7C15ull >> (64 - Bits)];
        if (c.texte == p)
            return {c.numero, true};
        c = {p, m_nombre};
        return {m_nombre++, false};
    }

private:
    static constexpr int Bits = 12;
    struct Case {
        const char* texte = nullptr;
        std::uint32_t numero = 0;
    };
    std::vector<Case> m_cases = std::vector<Case>(std::size_t(1) << Bits);
    std::uint32_t m_nombre = 0;
};

void cellules(Sortie& s, Partages& partages, const void* h, unsigned lignes, unsigned short colonnes) {
    std::uint32_t vides = 0;
    const auto finVides = [&] {
        if (vides > 0) {
            s.octet(R::Vides);
            s.u32(vides);
            vides = 0;
        }
    };
    for (unsigned l = 0; l < lignes; ++l) {
        for (unsigned short c = 0; c < colonnes; ++c) {
            FreeXL_CellValue v;
            const int code = freexl_get_cell_value(h, l, c, &v);
            if (code == FREEXL_OK && v.type == FREEXL_CELL_NULL) {
                ++vides;
                continue;
            }
            finVides();
            if (code != FREEXL_OK) {
                s.octet(R::Illisible);
                s.octet(static_cast<char>(raison(code)));
                s.i32(code);
                continue;
            }
            switch (v.type) {
            case FREEXL_CELL_INT:
                s.octet(R::Nombre);
                s.f64(static_cast<double>(v.value.int_value));
                break;
            case FREEXL_CELL_DOUBLE:
                s.octet(R::Nombre);
                s.f64(v.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
                s.octet(R::Texte);
                s.texte(v.value.text_value);
                break;
            case FREEXL_CELL_SST_TEXT: {
                const auto [numero, deja] = partages.numero(v.value.text_value);
                s.octet(deja ? R::Rappel : R::Partage);
                s.u32(numero);
                if (!deja)
                    s.texte(v.value.text_value);
                break;
            }
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                s.octet(R::Date);
                s.texte(v.value.text_value);
                break;
            case FREEXL_CELL_TIME:
                s.octet(R::Heure);
                s.texte(v.value.text_value);
                break;
            default:
                // A type this freexl does not name: empty, as it always was.
                ++vides;
                break;
            }
        }
    }
    finVides();
}

void lire(Sortie& s, const char* chemin) {
    const void* h = nullptr;
    // The handle is never closed: the process ends right after, and freeing every cell one by one would
    // only delay the answer.
    const int code = freexl_open(chemin, &h);
    if (code != FREEXL_OK)
        return refuser(s, raison(code), code);
    unsigned int info = 0;
    if (freexl_get_info(h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return refuser(s, R::MotDePasse, 0);
    // freexl gives up silently on some damaged workbooks and reports no sheet at all.
    unsigned int nombre = 0;
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &nombre) != FREEXL_OK || nombre == 0)
        return refuser(s, R::AucuneFeuille, 0);
    std::vector<std::pair<unsigned short, const char*>> feuilles;
    for (unsigned int i = 0; i < nombre && i <= 0xFFFF; ++i) {
        const char* n = nullptr;
        if (freexl_get_worksheet_name(h, static_cast<unsigned short>(i), &n) == FREEXL_OK && n)
            feuilles.emplace_back(static_cast<unsigned short>(i), n);
    }
    Partages partages;
    s.octet(R::Lu);
    s.u32(static_cast<std::uint32_t>(feuilles.size()));
    for (const auto& [index, nom] : feuilles) {
        s.texte(nom);
        unsigned int lignes = 0;
        unsigned short colonnes = 0;
        if (freexl_select_active_worksheet(h, index) != FREEXL_OK ||
            freexl_worksheet_dimensions(h, &lignes, &colonnes) != FREEXL_OK) {
            s.octet(0);
            continue;
        }
        lignes = std::min(lignes, R::MaxLignes);
        s.octet(1);
        s.u32(lignes);
        s.u16(colonnes);
        cellules(s, partages, h, lignes, colonnes);
    }
}

// The tests' hook: DORVANE_CLASSEUR_ESSAI, honoured only when set, makes the reader fail as a damaged
// workbook would make freexl fail: "abandon" aborts, "memoire" allocates without end, "blocage" waits
// for ever, "tronque:N" writes only the first N bytes of its answer and ends as if all was well.
long essai() {
    const char* e = std::getenv("DORVANE_CLASSEUR_ESSAI");
    if (!e)
        return -1;
    if (std::strcmp(e, "abandon") == 0)
        std::abort();
    if (std::strcmp(e, "memoire") == 0) {
        // Address space only, never touched: should the limit be missing, the machine is not exhausted,
        // the loop ends at 64 GiB and the read goes on (the tests then see a workbook read).
        std::vector<std::unique_ptr<char[]>> blocs;
        for (int i = 0; i < 1024; ++i)
            blocs.emplace_back(new char[64u << 20]);
    }
    if (std::strcmp(e, "blocage") == 0)
        for (;;)
            pause();
    if (std::strncmp(e, "tronque:", 8) == 0)
        return std::strtol(e + 8, nullptr, 10);
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: dorvane-classeur FICHIER.xls\n", stderr);
        return 2;
    }
    limiter();
    try {
        Sortie s(essai());
        s.octets(R::Entete, R::TailleMarque);
        lire(s, argv[1]);
        s.octets(R::Fin, R::TailleMarque);
        s.vider();
    } catch (const std::bad_alloc&) {
        std::fputs("dorvane-classeur: mémoire insuffisante\n", stderr);
        return 3;
    }
    return 0;
}
