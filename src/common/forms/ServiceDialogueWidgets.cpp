#include "common/forms/ServiceDialogueWidgets.h"

#include "common/EtatGlobal.h"
#include "common/mCommonDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QInputDialog>
#include <QListView>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStyledItemDelegate>

namespace {

// A question waits for the user: show the ordinary pointer over it even under the hourglass, and put
// the hourglass back once it is answered.
class CurseurNormal {
public:
    CurseurNormal() : m_actif(QGuiApplication::overrideCursor() != nullptr) {
        if (m_actif)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~CurseurNormal() {
        if (m_actif)
            QGuiApplication::restoreOverrideCursor();
    }
    CurseurNormal(const CurseurNormal&) = delete;
    CurseurNormal& operator=(const CurseurNormal&) = delete;

private:
    bool m_actif;
};

QWidget* parentCourant() {
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

// Qt's own provider finds a file's type by reading its first bytes. Opening and closing a descriptor of a
// database drops every lock SQLite holds on it in this process (POSIX locks belong to the process, not to
// the descriptor), and the next program to close it then folds the WAL into the file and deletes it under
// us. Here icon and type come from the name alone.
class IconesParNom : public QFileIconProvider {
public:
    using QFileIconProvider::icon;

    QIcon icon(const QFileInfo& info) const override {
        if (info.isDir())
            return icon(info.isRoot() ? Drive : Folder);
        if (info.isFile()) {
            const QMimeType type = typeParNom(info);
            for (const QString& nom : {type.iconName(), type.genericIconName()}) {
                const QIcon i = QIcon::fromTheme(nom);
                if (!i.isNull())
                    return i;
            }
        }
        return icon(File);
    }

    QString type(const QFileInfo& info) const override {
        // Folders, drives and links are told apart by their status, which reads nothing.
        if (!info.isFile())
            return QFileIconProvider::type(info);
        const QMimeType type = typeParNom(info);
        return type.comment().isEmpty() ? type.name() : type.comment();
    }

private:
    QMimeType typeParNom(const QFileInfo& info) const {
        return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }

    QMimeDatabase m_types;
};

// One for the whole run, never destroyed: a file model may still ask it while its dialog goes away.
QAbstractFileIconProvider* iconesParNom() {
    static QAbstractFileIconProvider* const p = new IconesParNom;
    return p;
}

// Every file model under a widget (the print dialog lists a folder for its output file) decides by name.
void listerParNom(QObject* racine) {
    for (auto* modele : racine->findChildren<QFileSystemModel*>())
        modele->setIconProvider(iconesParNom());
}

// Our own dialog, not the desktop's, that never opens the files it lists.
QFileDialog* nouveauDialogueFichier() {
    auto* dialogue = new QFileDialog(parentCourant());
    dialogue->setOption(QFileDialog::DontUseNativeDialog, true);
    dialogue->setIconProvider(iconesParNom());
    return dialogue;
}

// A thumbnail is read only from a file whose name says it is a picture (never a database).
bool imageParNom(const QString& chemin) {
    static const QSet<QString> suffixes = [] {
        QSet<QString> s;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            s.insert(QString::fromLatin1(format).toLower());
        return s;
    }();
    return suffixes.contains(QFileInfo(chemin).suffix().toLower());
}

// The list of a picture folder as thumbnails: pictures are scaled down when first painted (on the
// interface thread), and kept.
class DelegueVignettes : public QStyledItemDelegate {
public:
    explicit DelegueVignettes(QSize taille, QObject* parent)
        : QStyledItemDelegate(parent), m_taille(taille) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString chemin = index.data(QFileSystemModel::FilePathRole).toString();
        if (chemin.isEmpty())
            return;
        auto it = m_cache.constFind(chemin);
        if (it == m_cache.constEnd()) {
            QIcon icone;
            QImageReader lecteur(chemin);
            if (imageParNom(chemin) && QFileInfo(chemin).isFile() && lecteur.canRead()) {
                const QSize origine = lecteur.size();
                if (origine.isValid())
                    lecteur.setScaledSize(origine.scaled(m_taille, Qt::KeepAspectRatio));
                const QImage image = lecteur.read();
                if (!image.isNull())
                    icone = QIcon(QPixmap::fromImage(image));
            }
            it = m_cache.insert(chemin, icone);
        }
        if (!it->isNull()) {
            option->icon = *it;
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = m_taille;
        }
    }

private:
    QSize m_taille;
    mutable QHash<QString, QIcon> m_cache;
};

// Filter entries shown in the dialog: "Description (patterns)" unless the description already ends
// with its patterns in brackets.
QStringList filtresAffiches(const QList<mCommonDialog::EntreeFiltre>& entrees) {
    QStringList l;
    for (const auto& e : entrees) {
        QString motifs = e.motif.trimmed();
        motifs.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString desc = e.description.trimmed();
        if (desc.endsWith(QLatin1Char('(') + motifs + QLatin1Char(')')))
            l.append(desc);
        else
            l.append(desc + QStringLiteral(" (") + motifs + QLatin1Char(')'));
    }
    return l;
}

// The patterns of a filter entry: the words inside its last brackets.
QStringList motifsDuFiltre(const QString& filtreAffiche) {
    const qsizetype ouvre = filtreAffiche.lastIndexOf(QLatin1Char('('));
    const qsizetype ferme = filtreAffiche.lastIndexOf(QLatin1Char(')'));
    const QString dedans =
        ouvre >= 0 && ferme > ouvre ? filtreAffiche.mid(ouvre + 1, ferme - ouvre - 1) : filtreAffiche;
    return dedans.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Qt's own filter matching follows the file system's case rule; ours ignores case, as the original's did.
void appliquerFiltreSansCasse(QFileDialog* dialogue, const QString& filtreAffiche) {
    auto* modele = dialogue->findChild<QFileSystemModel*>();
    if (!modele)
        return;
    QStringList motifs;
    for (const QString& m : motifsDuFiltre(filtreAffiche))
        motifs.append(ServiceDialogueWidgets::motifSansCasse(m));
    modele->setNameFilters(motifs);
}

// A name typed without extension gets the one of the chosen filter ("Excel (*.xlsx)" gives "xlsx"), so
// that an export is not written under a name nothing opens.
void appliquerExtensionDuFiltre(QFileDialog* dialogue, const QString& filtreAffiche) {
    static const QRegularExpression extension(QStringLiteral("^\\*\\.([A-Za-z0-9]+)$"));
    const QStringList motifs = motifsDuFiltre(filtreAffiche);
    const QRegularExpressionMatch m =
        motifs.isEmpty() ? QRegularExpressionMatch() : extension.match(motifs.first());
    dialogue->setDefaultSuffix(m.hasMatch() ? m.captured(1) : QString());
}

// The filters of a request on a dialog, the given one chosen (1-based; out of range means the first).
void poserFiltres(QFileDialog* dialogue, const QString& filtre, int index,
                  void (*suivre)(QFileDialog*, const QString&)) {
    const QStringList filtres = filtresAffiches(mCommonDialog::EntreesFiltre(filtre));
    if (filtres.isEmpty())
        return;
    const int choisi = index >= 1 && index <= filtres.size() ? index : 1;
    dialogue->setNameFilters(filtres);
    dialogue->selectNameFilter(filtres.at(choisi - 1));
    suivre(dialogue, filtres.at(choisi - 1));
    QObject::connect(dialogue, &QFileDialog::filterSelected, dialogue,
                     [dialogue, suivre](const QString& f) { suivre(dialogue, f); });
}

// Qt has no buttons of its own for Try Again and Continue: the three of that box are labelled here, in
// the interface language (French for any other code).
QStringList libellesAnnulerReessayerContinuer(const QString& langue) {
    static const struct {
        const char* langue;
        const char* textes[3];
    } traductions[] = {
        {"DE", {"Abbrechen", "Wiederholen", "Weiter"}},
        {"NL", {"Annuleren", "Opnieuw proberen", "Doorgaan"}},
        {"PL", {"Anuluj", "Ponów próbę", "Kontynuuj"}},
        {"SK", {"Zrušiť", "Skúsiť znova", "Pokračovať"}},
    };
    for (const auto& t : traductions)
        if (langue == QLatin1String(t.langue))
            return {QString::fromUtf8(t.textes[0]), QString::fromUtf8(t.textes[1]),
                    QString::fromUtf8(t.textes[2])};
    return {QStringLiteral("Annuler"), QStringLiteral("Réessayer"), QStringLiteral("Continuer")};
}

// The answer a button of our own gives, kept on the button.
const char* const ProprieteReponse = "dorvaneReponse";

} // namespace

QString ServiceDialogueWidgets::motifSansCasse(const QString& motif) {
    QString r;
    bool dansClasse = false;
    for (QChar c : motif) {
        if (c == u'[')
            dansClasse = true;
        else if (c == u']')
            dansClasse = false;
        if (!dansClasse && c.isLetter() && c.toLower() != c.toUpper())
            r += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            r += c;
    }
    return r;
}

QMessageBox* ServiceDialogueWidgets::creerBoite(const QString& texte, int style, const QString& titre) {
    auto* boite = new QMessageBox(parentCourant());
    boite->setWindowTitle(titreParDefaut(titre));
    boite->setTextFormat(Qt::PlainText);
    boite->setText(texte);

    QList<QMessageBox::StandardButton> standards;
    switch (style & StyleMessage::MasqueBoutons) {
    case StyleMessage::OKCancel:
        standards = {QMessageBox::Ok, QMessageBox::Cancel};
        break;
    case StyleMessage::AbortRetryIgnore:
        standards = {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        break;
    case StyleMessage::YesNoCancel:
        standards = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        break;
    case StyleMessage::YesNo:
        standards = {QMessageBox::Yes, QMessageBox::No};
        break;
    case StyleMessage::RetryCancel:
        standards = {QMessageBox::Retry, QMessageBox::Cancel};
        break;
    case StyleMessage::CancelTryContinue:
        break;
    default:
        standards = {QMessageBox::Ok};
        break;
    }
    QList<QPushButton*> boutons;
    for (auto b : standards)
        boutons.append(boite->addButton(b));
    if ((style & StyleMessage::MasqueBoutons) == StyleMessage::CancelTryContinue) {
        const QStringList libelles = libellesAnnulerReessayerContinuer(Global().LangueCourante);
        const int reponses[] = {Reponse::Annuler, Reponse::NouvelEssai, Reponse::Continuer};
        for (int i = 0; i < 3; ++i) {
            // One role for the three keeps them in this order, whatever the platform's layout.
            QPushButton* b = boite->addButton(libelles.at(i), QMessageBox::ActionRole);
            b->setProperty(ProprieteReponse, reponses[i]);
            boutons.append(b);
        }
        boite->setEscapeButton(boutons.first());
    }

    switch (style & StyleMessage::MasqueIcone) {
    case StyleMessage::Critique:
        boite->setIcon(QMessageBox::Critical);
        break;
    case StyleMessage::Question:
        boite->setIcon(QMessageBox::Question);
        break;
    case StyleMessage::Exclamation:
        boite->setIcon(QMessageBox::Warning);
        break;
    case StyleMessage::Information:
        boite->setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }

    int defaut = 0;
    if ((style & StyleMessage::MasqueDefaut) == StyleMessage::DefautBouton2)
        defaut = 1;
    else if ((style & StyleMessage::MasqueDefaut) == StyleMessage::DefautBouton3)
        defaut = 2;
    if (defaut >= boutons.size())
        defaut = 0;
    boite->setDefaultButton(boutons.at(defaut));
    if (standards.contains(QMessageBox::Cancel))
        boite->setEscapeButton(QMessageBox::Cancel);
    else if (boutons.size() == 1)
        boite->setEscapeButton(boutons.first());
    return boite;
}

int ServiceDialogueWidgets::reponseDe(const QMessageBox& boite) {
    if (const QAbstractButton* b = boite.clickedButton()) {
        const QVariant reponse = b->property(ProprieteReponse);
        if (reponse.isValid())
            return reponse.toInt();
    }
    switch (boite.standardButton(boite.clickedButton())) {
    case QMessageBox::Ok:
        return Reponse::OK;
    case QMessageBox::Cancel:
        return Reponse::Annuler;
    case QMessageBox::Abort:
        return Reponse::Abandonner;
    case QMessageBox::Retry:
        return Reponse::Reessayer;
    case QMessageBox::Ignore:
        return Reponse::Ignorer;
    case QMessageBox::Yes:
        return Reponse::Oui;
    case QMessageBox::No:
        return Reponse::Non;
    default:
        break;
    }
    // Closed without a button (no escape button to stand for it).
    return Reponse::Annuler;
}

int ServiceDialogueWidgets::message(const QString& texte, int style, const QString& titre) {
    QMessageBox* boite = creerBoite(texte, style, titre);
    const CurseurNormal curseur;
    boite->exec();
    const int r = reponseDe(*boite);
    delete boite;
    return r;
}

QString ServiceDialogueWidgets::saisie(const QString& invite, const QString& titre, const QString& defaut) {
    bool ok = false;
    const CurseurNormal curseur;
    const QString texte =
        QInputDialog::getText(parentCourant(), titreParDefaut(titre), invite, QLineEdit::Normal, defaut, &ok);
    return ok ? texte : QString();
}

QFileDialog* ServiceDialogueWidgets::creerDialogueFichier(const DemandeOuvertureFichier& demande) {
    QFileDialog* dialogue = nouveauDialogueFichier();
    dialogue->setAcceptMode(QFileDialog::AcceptOpen);
    if (demande.MultiSelect)
        dialogue->setFileMode(QFileDialog::ExistingFiles);
    else
        dialogue->setFileMode(demande.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!demande.DlgTitle.isEmpty())
        dialogue->setWindowTitle(demande.DlgTitle);
    if (!demande.DefaultExt.isEmpty())
        dialogue->setDefaultSuffix(demande.DefaultExt);
    if (!demande.InitDir.isEmpty())
        dialogue->setDirectory(demande.InitDir);

    poserFiltres(dialogue, demande.Filter, demande.FilterIndex, appliquerFiltreSansCasse);
    if (!demande.FileName.isEmpty())
        dialogue->selectFile(demande.FileName);

    if (!demande.HideReadOnly) {
        auto* lectureSeule = new QCheckBox(QStringLiteral("Ouvrir en lecture seule"), dialogue);
        lectureSeule->setObjectName(QStringLiteral("ReadOnly"));
        lectureSeule->setChecked(demande.ReadOnly);
        if (auto* grille = qobject_cast<QGridLayout*>(dialogue->layout()))
            grille->addWidget(lectureSeule, grille->rowCount(), 0, 1, grille->columnCount());
    }

    if (demande.Vignettes) {
        if (auto* liste = dialogue->findChild<QListView*>(QStringLiteral("listView"))) {
            const QSize taille(96, 96);
            dialogue->setViewMode(QFileDialog::List);
            liste->setViewMode(QListView::IconMode);
            liste->setIconSize(taille);
            liste->setGridSize(QSize(taille.width() + 32, taille.height() + 36));
            liste->setResizeMode(QListView::Adjust);
            liste->setWordWrap(true);
            liste->setItemDelegate(new DelegueVignettes(taille, liste));
        }
        dialogue->resize(820, 560);
    }
    return dialogue;
}

ResultatOuvertureFichier ServiceDialogueWidgets::resultatDialogue(const QFileDialog& dialogue,
                                                                  const DemandeOuvertureFichier& demande,
                                                                  bool accepte) {
    ResultatOuvertureFichier r;
    const QStringList fichiers = dialogue.selectedFiles();
    if (!accepte || fichiers.isEmpty() || fichiers.first().isEmpty()) {
        r.Accepte = false;
        r.FilterIndex = -1;
        r.Flags = 0;
        return r;
    }
    r.Accepte = true;
    r.FileName = fichiers.first();
    r.FileTitle = QFileInfo(r.FileName).fileName();
    const int index = dialogue.nameFilters().indexOf(dialogue.selectedNameFilter());
    r.FilterIndex = index >= 0 ? index + 1 : 1;
    if (auto* lectureSeule = dialogue.findChild<QCheckBox*>(QStringLiteral("ReadOnly")))
        r.ReadOnly = lectureSeule->isChecked();
    r.Flags =
        (demande.Flags & ~(mCommonDialog::Drapeaux::EnableHook | mCommonDialog::Drapeaux::EnableTemplate) &
         ~mCommonDialog::Drapeaux::ReadOnly) |
        (r.ReadOnly ? mCommonDialog::Drapeaux::ReadOnly : 0);
    return r;
}

ResultatOuvertureFichier ServiceDialogueWidgets::ouvrirFichier(const DemandeOuvertureFichier& demande) {
    QFileDialog* dialogue = creerDialogueFichier(demande);
    const CurseurNormal curseur;
    const bool accepte = dialogue->exec() == QDialog::Accepted;
    const ResultatOuvertureFichier r = resultatDialogue(*dialogue, demande, accepte);
    delete dialogue;
    return r;
}

QFileDialog*
ServiceDialogueWidgets::creerDialogueEnregistrement(const DemandeEnregistrementFichier& demande) {
    QFileDialog* dialogue = nouveauDialogueFichier();
    dialogue->setAcceptMode(QFileDialog::AcceptSave);
    dialogue->setFileMode(QFileDialog::AnyFile);
    if (!demande.DlgTitle.isEmpty())
        dialogue->setWindowTitle(demande.DlgTitle);
    if (!demande.InitDir.isEmpty())
        dialogue->setDirectory(demande.InitDir);
    poserFiltres(dialogue, demande.Filter, 1, [](QFileDialog* d, const QString& f) {
        appliquerFiltreSansCasse(d, f);
        appliquerExtensionDuFiltre(d, f);
    });
    if (!demande.FileName.isEmpty())
        dialogue->selectFile(demande.FileName);
    return dialogue;
}

ResultatEnregistrementFichier ServiceDialogueWidgets::resultatEnregistrement(const QFileDialog& dialogue,
                                                                             bool accepte) {
    ResultatEnregistrementFichier r;
    const QStringList fichiers = dialogue.selectedFiles();
    if (!accepte || fichiers.isEmpty() || fichiers.first().isEmpty())
        return r;
    r.Accepte = true;
    r.FileName = fichiers.first();
    return r;
}

ResultatEnregistrementFichier
ServiceDialogueWidgets::enregistrerFichier(const DemandeEnregistrementFichier& demande) {
    QFileDialog* dialogue = creerDialogueEnregistrement(demande);
    const CurseurNormal curseur;
    const bool accepte = dialogue->exec() == QDialog::Accepted;
    const ResultatEnregistrementFichier r = resultatEnregistrement(*dialogue, accepte);
    delete dialogue;
    return r;
}

QPrintDialog* ServiceDialogueWidgets::creerDialogueImprimante(QPrinter& imprimante,
                                                              const QString& fichierPdf) {
    // Printing to a file stays hidden while there are printers; with none, the PDF file output is what
    // the list offers, as the desktop's own programs do, rather than an empty list. The dialog takes the
    // file from the printer when it is made.
    const bool sansImprimante = QPrinterInfo::availablePrinterNames().isEmpty();
    if (sansImprimante) {
        imprimante.setOutputFormat(QPrinter::PdfFormat);
        imprimante.setOutputFileName(
            fichierPdf.isEmpty() ? QDir::home().filePath(QStringLiteral("Dorvane.pdf")) : fichierPdf);
    }
    auto* dialogue = new QPrintDialog(&imprimante, parentCourant());
    listerParNom(dialogue);
    dialogue->setOptions(QAbstractPrintDialog::PrintSelection | QAbstractPrintDialog::PrintPageRange);
    dialogue->setOption(QAbstractPrintDialog::PrintToFile, sansImprimante);
    dialogue->setMinMax(1, 3);
    imprimante.setFromTo(1, 3);
    return dialogue;
}

ResultatImprimante ServiceDialogueWidgets::resultatImprimante(const QPrinter& imprimante, bool accepte) {
    ResultatImprimante r;
    if (!accepte) {
        r.Code = 0;
        return r;
    }
    r.Code = 1;
    r.Choix.NomImprimante = imprimante.printerName();
    if (imprimante.outputFormat() == QPrinter::PdfFormat)
        r.Choix.Fichier = imprimante.outputFileName();
    r.Choix.Orientation = imprimante.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    r.Choix.Copies = imprimante.copyCount();
    return r;
}

ResultatImprimante ServiceDialogueWidgets::choisirImprimante(const QString& fichierPdf) {
    QPrinter imprimante;
    QPrintDialog* dialogue = creerDialogueImprimante(imprimante, fichierPdf);
    const CurseurNormal curseur;
    const bool accepte = dialogue->exec() == QDialog::Accepted;
    delete dialogue;
    return resultatImprimante(imprimante, accepte);
}
