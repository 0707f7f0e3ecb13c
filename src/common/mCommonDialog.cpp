#include "common/mCommonDialog.h"

#include "common/ServiceDialogue.h"

#include <QFileInfo>

namespace mCommonDialog {

namespace {
int g_dernierRetour = 0;
int g_derniereErreur = 0;

QStringList elementsFiltre(const QString& filtre) {
    QStringList elements;
    qsizetype debut = 0;
    for (qsizetype i = 0; i <= filtre.size(); ++i) {
        if (i == filtre.size() || filtre.at(i) == QLatin1Char('|') || filtre.at(i) == QLatin1Char(':')) {
            elements << filtre.mid(debut, i - debut);
            debut = i + 1;
        }
    }
    return elements;
}
} // namespace

QList<EntreeFiltre> EntreesFiltre(const QString& filtre) {
    QList<EntreeFiltre> entrees;
    const QStringList elements = elementsFiltre(filtre);
    for (qsizetype i = 0; i + 1 < elements.size(); i += 2) {
        // An empty item is the end of the platform's list: nothing after it is offered.
        if (elements.at(i).isEmpty() || elements.at(i + 1).isEmpty())
            break;
        entrees.append({elements.at(i), elements.at(i + 1)});
    }
    return entrees;
}

QString FiltreNul(const QString& filtre) {
    QString s = filtre;
    s.replace(QLatin1Char('|'), QChar(0));
    s.replace(QLatin1Char(':'), QChar(0));
    s.append(QChar(0));
    s.append(QChar(0));
    return s;
}

QString StrZToStr(const QString& s) {
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

QString ChampN(const QString& filtreNul, int n) {
    if (n < 1)
        return QString();
    // Items up to the double NUL; entry n is items 2n-2 and 2n-1.
    QStringList elements;
    qsizetype debut = 0;
    for (qsizetype i = 0; i < filtreNul.size(); ++i) {
        if (filtreNul.at(i) == QChar(0)) {
            const QString element = filtreNul.mid(debut, i - debut);
            if (element.isEmpty())
                break;
            elements << element;
            debut = i + 1;
        }
    }
    const qsizetype i = 2 * qsizetype(n - 1);
    if (i + 1 >= elements.size())
        return QString();
    return elements.at(i) + QChar(0) + elements.at(i + 1);
}

bool VBGetOpenFileName(ParametresOuverture& p) {
    DemandeOuvertureFichier d;
    d.FileName = p.FileName;
    d.FileTitle = p.FileTitle;
    d.FileMustExist = p.FileMustExist;
    d.MultiSelect = p.MultiSelect;
    d.ReadOnly = p.ReadOnly;
    d.HideReadOnly = p.HideReadOnly;
    d.Filter = p.Filter;
    d.FilterIndex = p.FilterIndex;
    d.InitDir = p.InitDir;
    d.DlgTitle = p.DlgTitle;
    d.DefaultExt = p.DefaultExt;
    d.Owner = p.Owner;
    // No hook or template of the caller's can apply here.
    qint32 drapeaux = p.Flags & ~(Drapeaux::EnableHook | Drapeaux::EnableTemplate);
    if (p.FileMustExist)
        drapeaux |= Drapeaux::FileMustExist;
    if (p.MultiSelect)
        drapeaux |= Drapeaux::AllowMultiSelect;
    if (p.ReadOnly)
        drapeaux |= Drapeaux::ReadOnly;
    if (p.HideReadOnly)
        drapeaux |= Drapeaux::HideReadOnly;
    d.Flags = drapeaux;

    const ResultatOuvertureFichier r = Dialogues().ouvrirFichier(d);
    g_dernierRetour = r.Accepte ? 1 : 0;
    g_derniereErreur = 0;

    if (!r.Accepte) {
        p.FileName.clear();
        p.FileTitle.clear();
        p.Filter.clear();
        p.Flags = 0;
        p.FilterIndex = -1;
        return false;
    }
    p.FileName = StrZToStr(r.FileName);
    p.FileTitle = StrZToStr(r.FileTitle);
    if (p.FileTitle.isEmpty() && !p.FileName.isEmpty())
        p.FileTitle = QFileInfo(p.FileName).fileName();
    p.ReadOnly = r.ReadOnly;
    p.Flags = r.Flags;
    p.FilterIndex = r.FilterIndex;
    p.Filter = ChampN(FiltreNul(p.Filter), r.FilterIndex);
    return true;
}

QString OuvrirFichierDialog(const QString& InitDir, const QString& Filter, qint64 Owner) {
    DemandeOuvertureFichier d;
    d.Filter = Filter;
    d.FilterIndex = 0; // none given: the first filter
    d.InitDir = InitDir;
    d.DlgTitle = QStringLiteral("Open A File");
    d.Owner = Owner;
    d.Flags = DrapeauxOuvrirFichierDialog;
    d.HideReadOnly = true;
    d.Vignettes = true;

    const ResultatOuvertureFichier r = Dialogues().ouvrirFichier(d);
    g_dernierRetour = r.Accepte ? 1 : 0;
    g_derniereErreur = 0;
    if (!r.Accepte)
        return QString();
    return StrZToStr(r.FileName);
}

int DernierRetour() {
    return g_dernierRetour;
}
int DerniereErreur() {
    return g_derniereErreur;
}

} // namespace mCommonDialog
