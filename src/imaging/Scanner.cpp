#include "imaging/Scanner.h"

#include "common/ErreurExecution.h"
#include "imaging/cDIBSection.h"
#include "imaging/mIntelJPEGLibrary.h"

#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <type_traits>

#include <sane/sane.h>

namespace Scanner {

namespace {

constexpr int LargeurEnregistree = 190;
constexpr int QualiteEnregistree = 90;

[[noreturn]] void echec(const QString& texte) {
    throw ErreurExecution(ErreurExecution::PathFileAccess, texte, QStringLiteral("Scanner"));
}

// The SANE library is opened at the first use of a scanner, not with the program: it brings the USB,
// XML and device libraries of its backends, which the start of the program has no use for. It stays
// open for the rest of the run.
struct FonctionsSane {
    decltype(&::sane_init) init;
    decltype(&::sane_exit) exit;
    decltype(&::sane_strstatus) strstatus;
    decltype(&::sane_get_devices) get_devices;
    decltype(&::sane_open) open;
    decltype(&::sane_close) close;
    decltype(&::sane_cancel) cancel;
    decltype(&::sane_get_option_descriptor) get_option_descriptor;
    decltype(&::sane_control_option) control_option;
    decltype(&::sane_start) start;
    decltype(&::sane_get_parameters) get_parameters;
    decltype(&::sane_read) read;
};

FonctionsSane sane;

// Fills `sane`; what went wrong otherwise. Called under verrouBibliotheque.
QString chargerSane() {
    static bool charge = false;
    if (charge)
        return QString();
    void* bibliotheque = nullptr;
    for (const char* nom : {"libsane.so.1", "libsane.so"})
        if ((bibliotheque = dlopen(nom, RTLD_NOW | RTLD_LOCAL)))
            break;
    if (!bibliotheque)
        return QString::fromLocal8Bit(dlerror());
    bool complet = true;
    const auto fonction = [&](auto& f, const char* nom) {
        f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(dlsym(bibliotheque, nom));
        complet = complet && f;
    };
    fonction(sane.init, "sane_init");
    fonction(sane.exit, "sane_exit");
    fonction(sane.strstatus, "sane_strstatus");
    fonction(sane.get_devices, "sane_get_devices");
    fonction(sane.open, "sane_open");
    fonction(sane.close, "sane_close");
    fonction(sane.cancel, "sane_cancel");
    fonction(sane.get_option_descriptor, "sane_get_option_descriptor");
    fonction(sane.control_option, "sane_control_option");
    fonction(sane.start, "sane_start");
    fonction(sane.get_parameters, "sane_get_parameters");
    fonction(sane.read, "sane_read");
    if (!complet)
        return QStringLiteral("libsane incomplète");
    charge = true;
    return QString();
}

QString texteStatut(SANE_Status s) {
    return QString::fromUtf8(sane.strstatus(s));
}

// sane_init while someone needs the library, sane_exit after the last one: a device list asked for
// during an acquisition must not close the device being read.
std::mutex verrouBibliotheque;
int utilisateursBibliotheque = 0;

class Bibliotheque {
public:
    Bibliotheque() {
        const std::lock_guard<std::mutex> garde(verrouBibliotheque);
        if (utilisateursBibliotheque == 0) {
            const QString erreur = chargerSane();
            if (!erreur.isEmpty())
                echec(QStringLiteral("La bibliothèque des scanners ne démarre pas : ") + erreur);
            SANE_Int version = 0;
            const SANE_Status s = sane.init(&version, nullptr);
            if (s != SANE_STATUS_GOOD)
                echec(QStringLiteral("La bibliothèque des scanners ne démarre pas : ") + texteStatut(s));
        }
        ++utilisateursBibliotheque;
    }
    ~Bibliotheque() {
        const std::lock_guard<std::mutex> garde(verrouBibliotheque);
        if (--utilisateursBibliotheque == 0)
            sane.exit();
    }
    Bibliotheque(const Bibliotheque&) = delete;
    Bibliotheque& operator=(const Bibliotheque&) = delete;
};

// An open device, closed on every way out.
class Appareil {
public:
    explicit Appareil(const QString& nom) {
        const SANE_Status s = sane.open(nom.toUtf8().constData(), &m_h);
        if (s != SANE_STATUS_GOOD)
            echec(QStringLiteral("Le scanner \"%1\" ne répond pas : %2").arg(nom, texteStatut(s)));
    }
    ~Appareil() {
        // Backends that read in a thread of their own stop it abruptly on cancel: stopped while it is
        // still starting, it can leave the C library's allocator locked for good. A scan given up
        // straight after its start (a failing device, a quick cancel) waits for it to settle first.
        if (m_passeOuverte) {
            const qint64 reste = DelaiAvantAnnulation - m_depuisDebut.elapsed();
            if (reste > 0)
                QThread::msleep(static_cast<unsigned long>(reste));
        }
        sane.cancel(m_h);
        sane.close(m_h);
    }
    Appareil(const Appareil&) = delete;
    Appareil& operator=(const Appareil&) = delete;
    SANE_Handle h() const { return m_h; }

    SANE_Status demarrer() {
        const SANE_Status s = sane.start(m_h);
        m_passeOuverte = s == SANE_STATUS_GOOD;
        m_depuisDebut.start();
        return s;
    }
    // The pass was read to its end: the backend has closed it.
    void passeFinie() { m_passeOuverte = false; }

private:
    static constexpr qint64 DelaiAvantAnnulation = 150; // ms
    SANE_Handle m_h = nullptr;
    bool m_passeOuverte = false;
    QElapsedTimer m_depuisDebut;
};

// Options are found by name at each setting: setting one may rebuild the list (the mode brings others).
void appliquer(SANE_Handle h, const Option& o) {
    const QByteArray nom = o.nom.toUtf8();
    const SANE_Option_Descriptor* d = nullptr;
    SANE_Int index = 1;
    for (;; ++index) {
        d = sane.get_option_descriptor(h, index);
        if (!d || (d->name && nom == d->name))
            break;
    }
    auto refus = [&](const QString& raison) {
        if (!o.facultative)
            echec(QStringLiteral("Réglage \"%1\" refusé par le scanner : %2").arg(o.nom, raison));
    };
    if (!d)
        return refus(QStringLiteral("inconnu"));
    if (!SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap))
        return refus(QStringLiteral("inactif"));

    SANE_Word mot = 0;
    QByteArray texte;
    void* valeur = &mot;
    switch (d->type) {
    case SANE_TYPE_BOOL:
        mot = o.valeur.toBool() ? SANE_TRUE : SANE_FALSE;
        break;
    case SANE_TYPE_INT:
        mot = static_cast<SANE_Word>(std::lround(o.valeur.toDouble()));
        break;
    case SANE_TYPE_FIXED:
        mot = SANE_FIX(o.valeur.toDouble());
        break;
    case SANE_TYPE_STRING:
        texte = o.valeur.toString().toUtf8().left(std::max(0, d->size - 1));
        texte.resize(std::max<qsizetype>(d->size, texte.size() + 1), '\0');
        valeur = texte.data();
        break;
    default:
        return refus(QStringLiteral("type non pris en charge"));
    }
    if (d->type != SANE_TYPE_STRING && d->size != static_cast<SANE_Int>(sizeof(SANE_Word)))
        return refus(QStringLiteral("valeur multiple"));
    SANE_Int info = 0;
    const SANE_Status s = sane.control_option(h, index, SANE_ACTION_SET_VALUE, valeur, &info);
    if (s != SANE_STATUS_GOOD)
        refus(texteStatut(s));
}

// One sample of a row as 0..255. Depth 1: a set bit is black in a grey frame, full intensity in a colour
// one; depth 16: native byte order, the high byte kept.
inline int echantillon(const uchar* ligne, int i, int profondeur, bool gris) {
    switch (profondeur) {
    case 1: {
        const bool bit = (ligne[i >> 3] >> (7 - (i & 7))) & 1;
        return bit != gris ? 255 : 0;
    }
    case 16: {
        quint16 v;
        std::memcpy(&v, ligne + 2 * i, sizeof v);
        return v >> 8;
    }
    default:
        return ligne[i];
    }
}

// The rows of one frame into the picture: all three channels (grey, colour) or one (a colour pass).
void verserTrame(QImage& image, const QByteArray& donnees, const SANE_Parameters& p) {
    const int hauteur = std::min<int>(image.height(), static_cast<int>(donnees.size() / p.bytes_per_line));
    const int largeur = std::min(image.width(), p.pixels_per_line);
    const auto* octets = reinterpret_cast<const uchar*>(donnees.constData());
    const bool gris = p.format == SANE_FRAME_GRAY;
    int canal = -1;
    if (p.format == SANE_FRAME_RED)
        canal = 0;
    else if (p.format == SANE_FRAME_GREEN)
        canal = 1;
    else if (p.format == SANE_FRAME_BLUE)
        canal = 2;
    for (int y = 0; y < hauteur; ++y) {
        const uchar* s = octets + qsizetype(y) * p.bytes_per_line;
        uchar* d = image.scanLine(y);
        for (int x = 0; x < largeur; ++x, d += 3) {
            if (gris) {
                d[0] = d[1] = d[2] = static_cast<uchar>(echantillon(s, x, p.depth, true));
            } else if (canal < 0) {
                for (int c = 0; c < 3; ++c)
                    d[c] = static_cast<uchar>(echantillon(s, 3 * x + c, p.depth, false));
            } else {
                d[canal] = static_cast<uchar>(echantillon(s, x, p.depth, false));
            }
        }
    }
}

} // namespace

QString Peripherique::libelle() const {
    return QStringLiteral("%1 %2 (%3)").arg(fabricant, modele, nom).trimmed();
}

QList<Peripherique> listePeripheriques() {
    Bibliotheque bibliotheque;
    const SANE_Device** liste = nullptr;
    const SANE_Status s = sane.get_devices(&liste, SANE_FALSE);
    if (s != SANE_STATUS_GOOD)
        echec(QStringLiteral("La liste des scanners n'a pu être lue : ") + texteStatut(s));
    QList<Peripherique> peripheriques;
    for (int i = 0; liste && liste[i]; ++i)
        peripheriques.append({QString::fromUtf8(liste[i]->name), QString::fromUtf8(liste[i]->vendor),
                              QString::fromUtf8(liste[i]->model), QString::fromUtf8(liste[i]->type)});
    return peripheriques;
}

Resultat acquerir(const QString& peripherique, const QList<Option>& options, const std::atomic_bool& annuler,
                  const std::function<void(int)>& progression) {
    Resultat r;
    auto annulee = [&r] {
        r = Resultat{Issue::Annulee, {}, {}};
        return r;
    };
    try {
        Bibliotheque bibliotheque;
        Appareil appareil(peripherique);
        const SANE_Handle h = appareil.h();
        for (const Option& o : options)
            appliquer(h, o);

        QImage image;
        int passe = 0;
        int dernierPourcent = -2;
        for (bool derniere = false; !derniere; ++passe) {
            if (annuler)
                return annulee();
            SANE_Status s = appareil.demarrer();
            if (s == SANE_STATUS_CANCELLED)
                return annulee();
            if (s != SANE_STATUS_GOOD)
                echec(QStringLiteral("Le scanner ne démarre pas : ") + texteStatut(s));
            SANE_Parameters p{};
            s = sane.get_parameters(h, &p);
            if (s != SANE_STATUS_GOOD)
                echec(texteStatut(s));
            if ((p.depth != 1 && p.depth != 8 && p.depth != 16) || p.bytes_per_line <= 0 ||
                p.pixels_per_line <= 0 || p.format > SANE_FRAME_BLUE)
                echec(QStringLiteral("Format d'image non pris en charge (profondeur %1)").arg(p.depth));
            derniere = p.last_frame;
            // Three one-colour passes share the bar; the first pass gives the picture's size.
            const int passes = (p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB) ? 1 : 3;
            const qint64 attendu = p.lines > 0 ? qint64(p.lines) * p.bytes_per_line : -1;

            QByteArray donnees;
            if (attendu > 0)
                donnees.reserve(attendu);
            QByteArray tampon(64 * 1024, Qt::Uninitialized);
            for (;;) {
                if (annuler)
                    return annulee();
                SANE_Int lu = 0;
                s = sane.read(h, reinterpret_cast<SANE_Byte*>(tampon.data()), SANE_Int(tampon.size()), &lu);
                if (s == SANE_STATUS_EOF) {
                    appareil.passeFinie();
                    break;
                }
                if (s == SANE_STATUS_CANCELLED)
                    return annulee();
                if (s != SANE_STATUS_GOOD)
                    echec(QStringLiteral("Le scanner s'est arrêté en cours de lecture : ") + texteStatut(s));
                donnees.append(tampon.constData(), lu);
                const int pourcent =
                    attendu > 0
                        ? int((passe % passes * 100 + std::min<qint64>(100, donnees.size() * 100 / attendu)) /
                              passes)
                        : -1;
                if (progression && pourcent != dernierPourcent)
                    progression(pourcent);
                dernierPourcent = pourcent;
            }
            const int lignes = static_cast<int>(donnees.size() / p.bytes_per_line);
            if (image.isNull()) {
                if (lignes == 0)
                    echec(QStringLiteral("Le scanner n'a rendu aucune image."));
                image = QImage(p.pixels_per_line, lignes, QImage::Format_RGB888);
                if (image.isNull())
                    echec(QStringLiteral("Image trop grande (%1 x %2)").arg(p.pixels_per_line).arg(lignes));
                image.fill(Qt::black);
            }
            verserTrame(image, donnees, p);
        }
        if (progression)
            progression(100);
        r.issue = Issue::Acquise;
        r.image = std::move(image);
    } catch (const ErreurExecution& e) {
        r = Resultat{Issue::Echec, {}, e.description()};
    } catch (const std::bad_alloc&) {
        r = Resultat{Issue::Echec, {}, QStringLiteral("Mémoire insuffisante pour l'image")};
    }
    return r;
}

Acquisition::Acquisition(QObject* parent) : QObject(parent) {}

Acquisition::~Acquisition() {
    attendreFin();
    delete m_fil;
}

bool Acquisition::enCours() const {
    return m_fil && m_fil->isRunning();
}

bool Acquisition::demarrer(const QString& peripherique, const QList<Option>& options) {
    if (enCours())
        return false;
    delete m_fil;
    m_annuler = false;
    m_resultat = Resultat{};
    m_fil = QThread::create([this, peripherique, options] {
        Resultat r = acquerir(peripherique, options, m_annuler, [this](int p) { emit progression(p); });
        m_resultat = std::move(r);
    });
    // The end is heard in this object's thread, once the worker has left.
    connect(m_fil, &QThread::finished, this, &Acquisition::terminee);
    m_fil->start();
    return true;
}

void Acquisition::attendreFin() {
    if (!m_fil)
        return;
    m_annuler = true;
    m_fil->wait();
}

QSize tailleEnregistree(const QSize& taille) {
    if (taille.width() == 0)
        return taille;
    // Rounded with the current rounding mode, to nearest with ties to even: 142.5 gives 142.
    const double hauteur = double(LargeurEnregistree) / taille.width() * taille.height();
    return {LargeurEnregistree, static_cast<int>(std::nearbyint(hauteur))};
}

void EnregistrerImageScannee(const QImage& image, const QString& fichier) {
    cDIBSection dib;
    dib.CreateFromPicture(image);
    const cDIBSection* aEcrire = &dib;
    std::unique_ptr<cDIBSection> reduite;
    if (dib.Width() != 0) {
        const QSize t = tailleEnregistree({dib.Width(), dib.Height()});
        reduite = dib.Resample(t.height(), t.width());
        if (!reduite)
            throw ErreurExecution(
                ErreurExecution::JpegEchec,
                QStringLiteral("Picture of %1 x %2 cannot be resized").arg(t.width()).arg(t.height()),
                QStringLiteral("EnregistrerImageScannee"));
        aEcrire = reduite.get();
    }
    mIntelJPEGLibrary::SaveJPG(*aEcrire, fichier, QualiteEnregistree);
}

} // namespace Scanner
