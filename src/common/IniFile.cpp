#include "common/IniFile.h"

#include "common/ErreurExecution.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

const QByteArray Bom("\xEF\xBB\xBF", 3);

// One line of the file as bytes: [debut, finContenu) is the text, [finContenu, finLigne) its line end.
struct Ligne {
    qsizetype debut = 0;
    qsizetype finContenu = 0;
    qsizetype finLigne = 0;
    enum class Genre { Autre, Section, Cle } genre = Genre::Autre;
    QString nom;         // section or key name, trimmed, as written
    qsizetype egal = -1; // offset of '=' for a key line
    QString valeur;      // raw value text (after '='), not yet trimmed
};

// Decodes one line: UTF-8 when it is valid UTF-8, else the single-byte code page.
QString decoderLigne(QByteArrayView octets, IniFile::CodePage repli) {
    bool ascii = true;
    for (char c : octets) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(octets.data(), octets.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texte = utf8.decode(octets);
    if (!utf8.hasError())
        return texte;
    QStringDecoder page(repli == IniFile::CodePage::Windows1250 ? "windows-1250" : "windows-1252");
    if (page.isValid())
        return page.decode(octets);
    return QString::fromLatin1(octets.data(), octets.size());
}

QList<Ligne> decouper(const QByteArray& octets, IniFile::CodePage repli) {
    QList<Ligne> lignes;
    qsizetype pos = octets.startsWith(Bom) ? Bom.size() : 0;
    const qsizetype n = octets.size();
    while (pos < n) {
        Ligne l;
        l.debut = pos;
        qsizetype nl = octets.indexOf('\n', pos);
        if (nl < 0) {
            l.finContenu = n;
            l.finLigne = n;
        } else {
            l.finLigne = nl + 1;
            l.finContenu = (nl > pos && octets.at(nl - 1) == '\r') ? nl - 1 : nl;
        }
        pos = l.finLigne;

        const QByteArrayView contenu(octets.constData() + l.debut, l.finContenu - l.debut);
        qsizetype i = 0;
        while (i < contenu.size() && (contenu[i] == ' ' || contenu[i] == '\t' || contenu[i] == '\r'))
            ++i;
        if (i < contenu.size() && contenu[i] == '[') {
            // A header without its closing bracket is a broken line: passed over.
            const qsizetype fin = QByteArrayView(contenu).sliced(i + 1).indexOf(']');
            if (fin >= 0) {
                l.genre = Ligne::Genre::Section;
                l.nom = IniFile::rogner(decoderLigne(contenu.sliced(i + 1, fin), repli));
            }
        } else if (i < contenu.size() && contenu[i] != ';') {
            const qsizetype egal = contenu.indexOf('=');
            if (egal > i) {
                const QString cle = IniFile::rogner(decoderLigne(contenu.sliced(0, egal), repli));
                if (!cle.isEmpty()) {
                    l.genre = Ligne::Genre::Cle;
                    l.nom = cle;
                    l.egal = l.debut + egal;
                    l.valeur = decoderLigne(contenu.sliced(egal + 1), repli);
                }
            }
        }
        lignes.append(l);
    }
    return lignes;
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
    // Case folding covers accented capitals too ("DONNÉE" = "donnée"); NFC so that a decomposed
    // accent in a hand-edited file still matches.
    return rogner(nom).normalized(QString::NormalizationForm_C).toCaseFolded();
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

IniFile IniFile::lire(const QString& chemin, CodePage repli) {
    QFile f(chemin);
    if (!QFileInfo(chemin).isFile() || !f.open(QIODevice::ReadOnly))
        return IniFile();
    IniFile ini = depuisOctets(f.readAll(), repli);
    return ini;
}

IniFile IniFile::depuisOctets(const QByteArray& octets, CodePage repli) {
    IniFile ini;
    ini.m_valide = true;
    QString sectionCourante;
    bool dansSection = false;
    for (const Ligne& l : decouper(octets, repli)) {
        if (l.genre == Ligne::Genre::Section) {
            sectionCourante = cleNormalisee(l.nom);
            dansSection = true;
            if (!ini.m_valeurs.contains(sectionCourante)) {
                ini.m_valeurs.insert(sectionCourante, {});
                ini.m_ordreSections.append(l.nom);
            }
        } else if (l.genre == Ligne::Genre::Cle && dansSection) {
            auto& cles = ini.m_valeurs[sectionCourante];
            const QString cle = cleNormalisee(l.nom);
            if (!cles.contains(cle)) { // the first of duplicate keys wins
                cles.insert(cle, valeurLue(l.valeur));
                ini.m_ordreCles[sectionCourante].append(l.nom);
            }
        }
    }
    return ini;
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
    auto s = m_valeurs.constFind(cleNormalisee(section));
    if (s != m_valeurs.constEnd()) {
        auto v = s->constFind(cleNormalisee(cle));
        if (v != s->constEnd()) {
            if (trouve)
                *trouve = true;
            return *v;
        }
    }
    if (trouve)
        *trouve = false;
    return QString();
}

bool IniFile::contientSection(const QString& section) const {
    return m_valeurs.contains(cleNormalisee(section));
}

QStringList IniFile::sections() const {
    return m_ordreSections;
}

QStringList IniFile::cles(const QString& section) const {
    return m_ordreCles.value(cleNormalisee(section));
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
    QString texte = valeur;
    texte.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray valeurOctets = texte.toUtf8();
    QString nomCle = rogner(cle);
    nomCle.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QString nomSection = rogner(section);
    nomSection.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));

    const CodePage repli = codePagePour(chemin);
    const QList<Ligne> lignes = decouper(octets, repli);

    // The file's own line end, taken from its first line.
    QByteArray finDeLigne("\n");
    for (const Ligne& l : lignes) {
        if (l.finLigne > l.finContenu) {
            finDeLigne = octets.mid(l.finContenu, l.finLigne - l.finContenu);
            break;
        }
    }

    const QString sectionVoulue = cleNormalisee(nomSection);
    const QString cleVoulue = cleNormalisee(nomCle);
    bool dansSection = false;
    qsizetype finPremierBloc = -1; // index of the last non-blank line of the first block of the section
    bool premierBlocFerme = false;
    QByteArray resultat;
    bool fait = false;
    for (qsizetype i = 0; i < lignes.size() && !fait; ++i) {
        const Ligne& l = lignes[i];
        if (l.genre == Ligne::Genre::Section) {
            if (dansSection)
                premierBlocFerme = true;
            dansSection = cleNormalisee(l.nom) == sectionVoulue;
            if (dansSection && finPremierBloc < 0)
                finPremierBloc = i;
        } else if (dansSection) {
            if (l.genre == Ligne::Genre::Cle && cleNormalisee(l.nom) == cleVoulue) {
                // Keep everything up to and including '=', replace the rest of the line.
                resultat = octets.left(l.egal + 1) + valeurOctets + octets.mid(l.finContenu);
                fait = true;
            } else if (!premierBlocFerme && l.finContenu > l.debut &&
                       !QByteArrayView(octets.constData() + l.debut, l.finContenu - l.debut)
                            .trimmed()
                            .isEmpty()) {
                finPremierBloc = i;
            }
        }
    }

    if (!fait) {
        const QByteArray ligneCle = nomCle.toUtf8() + '=' + valeurOctets + finDeLigne;
        if (finPremierBloc >= 0) {
            const Ligne& l = lignes[finPremierBloc];
            QByteArray insertion = ligneCle;
            if (l.finLigne == l.finContenu) // last line of the file, without its line end
                insertion.prepend(finDeLigne);
            resultat = octets.left(l.finLigne) + insertion + octets.mid(l.finLigne);
        } else {
            resultat = octets;
            if (!resultat.isEmpty() && !resultat.endsWith('\n'))
                resultat += finDeLigne;
            resultat += '[' + nomSection.toUtf8() + ']' + finDeLigne + ligneCle;
        }
    }

    // Written beside the old file and then renamed over it: a failure leaves the old file whole.
    QSaveFile sortie(chemin);
    if (!sortie.open(QIODevice::WriteOnly) || sortie.write(resultat) != resultat.size() || !sortie.commit()) {
        sortie.cancelWriting();
        throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                              source);
    }
    oublierCache(chemin);
}
