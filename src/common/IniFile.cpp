#include "common/IniFile.h"

#include "common/EchecEcriture.h"
#include "common/ErreurExecution.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <limits>

namespace {

const QByteArray Bom("\xEF\xBB\xBF", 3);

// One line of the file as bytes: [debut, finContenu) is the text, [finContenu, finLigne) its line end.
struct Bornes {
    qsizetype debut = 0;
    qsizetype finContenu = 0;
    qsizetype finLigne = 0;
};

// The line that starts at `debut`: it ends at CR LF, LF or a lone CR (files saved by old Mac editors).
Bornes bornesA(QByteArrayView octets, qsizetype debut) {
    const char* d = octets.data();
    const qsizetype n = octets.size();
    qsizetype i = debut;
    while (i < n && d[i] != '\n' && d[i] != '\r')
        ++i;
    Bornes b{debut, i, i};
    if (i < n)
        b.finLigne = (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ? i + 2 : i + 1;
    return b;
}

qsizetype debutDuTexte(QByteArrayView octets) {
    return octets.startsWith(QByteArrayView(Bom)) ? Bom.size() : 0;
}

// Calls f(Bornes) for each line; f returns false to stop.
template <typename F> void parcourirLignes(QByteArrayView octets, F&& f) {
    qsizetype pos = debutDuTexte(octets);
    while (pos < octets.size()) {
        const Bornes b = bornesA(octets, pos);
        pos = b.finLigne;
        if (!f(b))
            return;
    }
}

// What a line holds, as views on the file's bytes.
struct Analyse {
    enum class Genre { Autre, Section, Cle } genre = Genre::Autre;
    QByteArrayView nom;    // section or key name, not yet decoded nor trimmed
    qsizetype egal = -1;   // offset of '=' in the file, for a key line
    QByteArrayView valeur; // the bytes after '='
};

Analyse analyser(QByteArrayView octets, const Bornes& b) {
    Analyse a;
    const QByteArrayView contenu = octets.sliced(b.debut, b.finContenu - b.debut);
    qsizetype i = 0;
    while (i < contenu.size() && (contenu[i] == ' ' || contenu[i] == '\t'))
        ++i;
    if (i < contenu.size() && contenu[i] == '[') {
        // A header without its closing bracket is a broken line: passed over.
        const qsizetype fin = contenu.sliced(i + 1).indexOf(']');
        if (fin >= 0) {
            a.genre = Analyse::Genre::Section;
            a.nom = contenu.sliced(i + 1, fin);
        }
    } else if (i < contenu.size() && contenu[i] != ';') {
        // The key holds a character other than a blank, since '=' comes after the first of them.
        const qsizetype egal = contenu.indexOf('=');
        if (egal > i) {
            a.genre = Analyse::Genre::Cle;
            a.nom = contenu.sliced(0, egal);
            a.egal = b.debut + egal;
            a.valeur = contenu.sliced(egal + 1);
        }
    }
    return a;
}

bool estAscii(QByteArrayView octets) {
    for (char c : octets)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool estUtf8(QByteArrayView octets) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texte = utf8.decode(octets);
    return !utf8.hasError();
}

// Decodes one line: UTF-8 when it is valid UTF-8, else the single-byte code page.
QString decoderLigne(QByteArrayView octets, IniFile::CodePage repli) {
    if (estAscii(octets))
        return QString::fromLatin1(octets.data(), octets.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texte = utf8.decode(octets);
    if (!utf8.hasError())
        return texte;
    QStringDecoder page(IniFile::nomCodePage(repli));
    if (page.isValid())
        return page.decode(octets);
    return QString::fromLatin1(octets.data(), octets.size());
}

bool blanc(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

QByteArrayView rognerOctets(QByteArrayView v) {
    qsizetype debut = 0, fin = v.size();
    while (debut < fin && blanc(v[debut]))
        ++debut;
    while (fin > debut && blanc(v[fin - 1]))
        --fin;
    return v.sliced(debut, fin - debut);
}

// FNV-1a over the UTF-16 units of normalised names; a match is always confirmed on the names themselves.
struct Hachage {
    quint64 h = 14695981039346656037ull;
    void ajouter(char16_t c) {
        h ^= c;
        h *= 1099511628211ull;
    }
    void ajouter(QStringView s) {
        for (QChar c : s)
            ajouter(c.unicode());
    }
    void separer() { ajouter(char16_t(0xFFFF)); }
};

QString normaliser(const QString& nom) {
    // Case folding covers accented capitals too ("DONNÉE" = "donnée"); NFC so that a decomposed
    // accent in a hand-edited file still matches.
    return IniFile::rogner(nom).normalized(QString::NormalizationForm_C).toCaseFolded();
}

// The normalised name of a line, as written in the file.
QString nomNormalise(QByteArrayView brut, IniFile::CodePage repli) {
    return normaliser(decoderLigne(brut, repli));
}

// Adds a name's normalised form to the hash without building a string for a plain ASCII name (that of
// nearly every line): trimming, decoding and case folding are then byte operations.
void hacherNom(Hachage& h, QByteArrayView brut, IniFile::CodePage repli) {
    if (estAscii(brut)) {
        for (char c : rognerOctets(brut))
            h.ajouter(char16_t((c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c));
    } else {
        h.ajouter(nomNormalise(brut, repli));
    }
}

QString valeurLue(const QString& brute) {
    QString v = IniFile::rogner(brute);
    if (v.size() >= 2) {
        const QChar q = v.front();
        if ((q == u'"' || q == u'\'') && v.back() == q)
            v = v.mid(1, v.size() - 2);
    }
    if (v.size() > IniFile::LongueurMax)
        v.truncate(IniFile::LongueurMax);
    return v;
}

struct EntreeCache {
    QDateTime modifie;
    qint64 taille = -1;
    IniFile::CodePage repli = IniFile::CodePage::Windows1252;
    std::shared_ptr<const IniFile> fichier;
};

QMutex& verrouCache() {
    static QMutex m;
    return m;
}

QHash<QString, EntreeCache>& cache() {
    static QHash<QString, EntreeCache> c;
    return c;
}

} // namespace

QString IniFile::cleNormalisee(const QString& nom) {
    return normaliser(nom);
}

QString IniFile::rogner(const QString& texte) {
    auto blanc = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype debut = 0, fin = texte.size();
    while (debut < fin && blanc(texte.at(debut)))
        ++debut;
    while (fin > debut && blanc(texte.at(fin - 1)))
        --fin;
    return texte.mid(debut, fin - debut);
}

IniFile::CodePage IniFile::codePagePour(const QString& chemin) {
    const QString nom = QFileInfo(chemin).fileName();
    if (nom.compare(QLatin1String("poland.lng"), Qt::CaseInsensitive) == 0 ||
        nom.compare(QLatin1String("slovaque.lng"), Qt::CaseInsensitive) == 0)
        return CodePage::Windows1250;
    return CodePage::Windows1252;
}

const char* IniFile::nomCodePage(CodePage page) {
    return page == CodePage::Windows1250 ? "windows-1250" : "windows-1252";
}

IniFile IniFile::lire(const QString& chemin, CodePage repli) {
    QFile f(chemin);
    if (!QFileInfo(chemin).isFile() || !f.open(QIODevice::ReadOnly))
        return IniFile();
    IniFile ini = depuisOctets(f.readAll(), repli);
    return ini;
}

IniFile IniFile::depuisOctets(const QByteArray& octets, CodePage repli) {
    IniFile ini;
    // Offsets are kept on 32 bits: a settings file of 4 GiB is not one.
    if (octets.size() > qsizetype(std::numeric_limits<quint32>::max()))
        return ini;
    ini.m_valide = true;
    ini.m_repli = repli;
    ini.m_octets = octets;

    // One entry a line at most: reserved at once, so that the index never grows by copying itself.
    qsizetype lignes = 1;
    for (qsizetype i = 0; i < octets.size(); ++i)
        lignes +=
            octets[i] == '\n' || (octets[i] == '\r' && (i + 1 == octets.size() || octets[i + 1] != '\n'));
    ini.m_cles.reserve(lignes);

    Hachage section;
    bool dansSection = false;
    parcourirLignes(octets, [&](const Bornes& b) {
        const Analyse a = analyser(octets, b);
        if (a.genre == Analyse::Genre::Section) {
            section = Hachage();
            hacherNom(section, a.nom, repli);
            ini.m_sections.push_back({section.h, quint32(b.debut)});
            dansSection = true;
        } else if (a.genre == Analyse::Genre::Cle && dansSection) {
            Hachage h = section;
            h.separer();
            hacherNom(h, a.nom, repli);
            ini.m_cles.push_back({h.h, quint32(b.debut), quint32(ini.m_sections.size() - 1)});
        }
        return true;
    });

    // By hash, then in file order; of lines naming the same key in the same section only the first stays.
    std::sort(ini.m_cles.begin(), ini.m_cles.end(), [](const Cle& a, const Cle& b) {
        return a.hachage != b.hachage ? a.hachage < b.hachage : a.ligne < b.ligne;
    });
    auto memeNom = [&ini](const Cle& a, const Cle& b) {
        const Bornes ba = bornesA(ini.m_octets, a.ligne), bb = bornesA(ini.m_octets, b.ligne);
        const Bornes sa = bornesA(ini.m_octets, ini.m_sections[a.section].ligne);
        const Bornes sb = bornesA(ini.m_octets, ini.m_sections[b.section].ligne);
        const QByteArrayView o(ini.m_octets);
        // The same bytes are the same names; other bytes may still be (case, accents, encoding).
        const bool cleEgale = analyser(o, ba).nom == analyser(o, bb).nom ||
                              ini.nomNormaliseA(a.ligne) == ini.nomNormaliseA(b.ligne);
        return cleEgale && (analyser(o, sa).nom == analyser(o, sb).nom ||
                            ini.nomNormaliseA(ini.m_sections[a.section].ligne) ==
                                ini.nomNormaliseA(ini.m_sections[b.section].ligne));
    };
    std::size_t garde = 0;
    for (std::size_t i = 0; i < ini.m_cles.size(); ++i) {
        std::size_t debutSerie = garde;
        while (debutSerie > 0 && ini.m_cles[debutSerie - 1].hachage == ini.m_cles[i].hachage)
            --debutSerie;
        bool doublon = false;
        for (std::size_t j = debutSerie; j < garde && !doublon; ++j)
            doublon = memeNom(ini.m_cles[j], ini.m_cles[i]);
        if (!doublon)
            ini.m_cles[garde++] = ini.m_cles[i];
    }
    ini.m_cles.resize(garde);
    if (garde < ini.m_cles.capacity() / 2) // many duplicates or lines of other kinds: give the room back
        ini.m_cles.shrink_to_fit();
    return ini;
}

QString IniFile::nomNormaliseA(quint32 debut) const {
    const Analyse a = analyser(m_octets, bornesA(m_octets, debut));
    return a.genre == Analyse::Genre::Autre ? QString() : nomNormalise(a.nom, m_repli);
}

std::shared_ptr<const IniFile> IniFile::enCache(const QString& chemin, CodePage repli) {
    const QFileInfo info(chemin);
    const QString cle = info.absoluteFilePath();
    const bool existe = info.isFile();
    const QDateTime modifie = existe ? info.lastModified() : QDateTime();
    const qint64 taille = existe ? info.size() : -1;

    QMutexLocker verrou(&verrouCache());
    auto it = cache().constFind(cle);
    if (it != cache().constEnd() && it->modifie == modifie && it->taille == taille && it->repli == repli)
        return it->fichier;
    verrou.unlock();

    auto fichier = std::make_shared<const IniFile>(lire(chemin, repli));
    verrou.relock();
    cache().insert(cle, EntreeCache{modifie, taille, repli, fichier});
    return fichier;
}

void IniFile::oublierCache(const QString& chemin) {
    QMutexLocker verrou(&verrouCache());
    cache().remove(QFileInfo(chemin).absoluteFilePath());
}

QString IniFile::valeur(const QString& section, const QString& cle, bool* trouve) const {
    const QString s = cleNormalisee(section), k = cleNormalisee(cle);
    Hachage h;
    h.ajouter(s);
    h.separer();
    h.ajouter(k);
    auto it = std::lower_bound(m_cles.begin(), m_cles.end(), h.h,
                               [](const Cle& c, quint64 v) { return c.hachage < v; });
    for (; it != m_cles.end() && it->hachage == h.h; ++it) {
        if (nomNormaliseA(it->ligne) == k && nomNormaliseA(m_sections[it->section].ligne) == s) {
            if (trouve)
                *trouve = true;
            return valeurLue(decoderLigne(analyser(m_octets, bornesA(m_octets, it->ligne)).valeur, m_repli));
        }
    }
    if (trouve)
        *trouve = false;
    return QString();
}

bool IniFile::contientSection(const QString& section) const {
    const QString s = cleNormalisee(section);
    Hachage h;
    h.ajouter(s);
    for (const Section& e : m_sections)
        if (e.hachage == h.h && nomNormaliseA(e.ligne) == s)
            return true;
    return false;
}

QStringList IniFile::sections() const {
    QStringList noms;
    QSet<QString> vues;
    for (const Section& e : m_sections) {
        if (vues.contains(nomNormaliseA(e.ligne)))
            continue;
        vues.insert(nomNormaliseA(e.ligne));
        noms.append(rogner(decoderLigne(analyser(m_octets, bornesA(m_octets, e.ligne)).nom, m_repli)));
    }
    return noms;
}

QStringList IniFile::cles(const QString& section) const {
    const QString s = cleNormalisee(section);
    Hachage h;
    h.ajouter(s);
    std::vector<quint32> lignes;
    for (const Cle& c : m_cles) {
        const Section& e = m_sections[c.section];
        if (e.hachage == h.h && nomNormaliseA(e.ligne) == s)
            lignes.push_back(c.ligne);
    }
    std::sort(lignes.begin(), lignes.end());
    QStringList noms;
    for (quint32 l : lignes)
        noms.append(rogner(decoderLigne(analyser(m_octets, bornesA(m_octets, l)).nom, m_repli)));
    return noms;
}

void IniFile::ecrire(const QString& chemin, const QString& section, const QString& cle,
                     const QString& valeur) {
    const QString source = QStringLiteral("EcrireIniString");
    const QFileInfo info(chemin);
    if (info.exists() && !info.isFile())
        throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                              source);

    QByteArray octets;
    if (info.exists()) {
        QFile f(chemin);
        if (!f.open(QIODevice::ReadOnly))
            throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                                  source);
        octets = f.readAll();
    }

    // A line break inside a value would split it into lines of its own.
    auto surUneLigne = [](QString t) {
        return t.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    };
    const QString texte = surUneLigne(valeur);
    const QString nomCle = surUneLigne(rogner(cle));
    const QString nomSection = surUneLigne(rogner(section));

    // The file's own encoding: a file holding a line that is not UTF-8 is in its single-byte code page,
    // and what we add to it goes in that page, so that the file does not become half UTF-8. Text the
    // page cannot hold (or that would read back as other UTF-8 text) still goes in UTF-8, which the
    // reader takes line by line: nothing is lost.
    const CodePage repli = codePagePour(chemin);
    bool monoOctet = false;
    if (!octets.startsWith(Bom)) {
        parcourirLignes(octets, [&](const Bornes& b) {
            const QByteArrayView l(octets.constData() + b.debut, b.finContenu - b.debut);
            monoOctet = !estAscii(l) && !estUtf8(l);
            return !monoOctet;
        });
    }
    auto encoder = [&](const QString& t) {
        if (monoOctet) {
            QStringEncoder page(nomCodePage(repli));
            const QByteArray o = page.encode(t);
            if (page.isValid() && !page.hasError() && decoderLigne(o, repli) == t)
                return o;
        }
        return t.toUtf8();
    };
    const QByteArray valeurOctets = encoder(texte);

    const QString sectionVoulue = cleNormalisee(nomSection);
    const QString cleVoulue = cleNormalisee(nomCle);
    QByteArray finDeLigne; // the file's own line end, taken from its first line that has one
    bool dansSection = false;
    Bornes finPremierBloc{-1, -1, -1}; // the last non-blank line of the first block of the section
    bool premierBlocFerme = false;
    QByteArray resultat;
    bool fait = false;
    parcourirLignes(octets, [&](const Bornes& b) {
        if (finDeLigne.isEmpty() && b.finLigne > b.finContenu)
            finDeLigne = octets.mid(b.finContenu, b.finLigne - b.finContenu);
        const Analyse a = analyser(octets, b);
        if (a.genre == Analyse::Genre::Section) {
            if (dansSection)
                premierBlocFerme = true;
            dansSection = nomNormalise(a.nom, repli) == sectionVoulue;
            if (dansSection && finPremierBloc.debut < 0)
                finPremierBloc = b;
        } else if (dansSection) {
            if (a.genre == Analyse::Genre::Cle && nomNormalise(a.nom, repli) == cleVoulue) {
                // Keep everything up to and including '=', replace the rest of the line.
                resultat.reserve(octets.size() + valeurOctets.size());
                resultat.append(octets.constData(), a.egal + 1);
                resultat.append(valeurOctets);
                resultat.append(octets.constData() + b.finContenu, octets.size() - b.finContenu);
                fait = true;
            } else if (!premierBlocFerme &&
                       !QByteArrayView(octets.constData() + b.debut, b.finContenu - b.debut)
                            .trimmed()
                            .isEmpty()) {
                finPremierBloc = b;
            }
        }
        return !fait;
    });
    if (finDeLigne.isEmpty())
        finDeLigne = "\n";

    if (!fait) {
        const QByteArray ligneCle = encoder(nomCle) + '=' + valeurOctets + finDeLigne;
        if (finPremierBloc.debut >= 0) {
            QByteArray insertion = ligneCle;
            if (finPremierBloc.finLigne == finPremierBloc.finContenu) // last line, without its line end
                insertion.prepend(finDeLigne);
            resultat.reserve(octets.size() + insertion.size());
            resultat.append(octets.constData(), finPremierBloc.finLigne);
            resultat.append(insertion);
            resultat.append(octets.constData() + finPremierBloc.finLigne,
                            octets.size() - finPremierBloc.finLigne);
        } else {
            resultat = octets;
            if (!resultat.isEmpty() && !resultat.endsWith('\n') && !resultat.endsWith('\r'))
                resultat += finDeLigne;
            resultat += '[' + encoder(nomSection) + ']' + finDeLigne + ligneCle;
        }
    }
    octets.clear();

    // Written beside the old file and then renamed over it: a failure leaves the old file whole.
    QSaveFile sortie(chemin);
    if (!sortie.open(QIODevice::WriteOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                              source);
    if (sortie.write(resultat) != resultat.size() || !sortie.commit()) {
        // Opened and still not written: the system's reason (a full disk) is worth telling.
        const QString message = EchecEcriture::message(sortie);
        sortie.cancelWriting();
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Path/File access error (%1)").arg(message), source);
    }
    oublierCache(chemin);
}
