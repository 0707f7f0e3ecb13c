#include "common/forms/ServiceDialogueWidgets.h"

#include "common/EtatGlobal.h"
#include "support/BaseDeTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Runs `action` on the modal dialog once it is up.
void quandModal(std::function<void(QDialog*)> action) {
    auto* minuterie = new QTimer;
    QObject::connect(minuterie, &QTimer::timeout, [minuterie, action] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()); d && d->isVisible()) {
            minuterie->stop();
            minuterie->deleteLater();
            action(d);
        }
    });
    minuterie->start(20);
}

// Clicks a button of the message box that comes up next, and returns its text.
void cliquerDansLaBoite(QMessageBox::StandardButton bouton, QString* texte = nullptr,
                        QString* titre = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(boite, nullptr);
        if (texte)
            *texte = boite->text();
        if (titre)
            *titre = boite->windowTitle();
        boite->button(bouton)->click();
    });
}

} // namespace

TEST(ServiceDialogueWidgets, BoutonsIconesEtBoutonParDefaut) {
    struct Cas {
        int style;
        QList<QMessageBox::StandardButton> boutons;
        QMessageBox::Icon icone;
        QMessageBox::StandardButton defaut;
    };
    const QList<Cas> cas{
        {StyleMessage::OK, {QMessageBox::Ok}, QMessageBox::NoIcon, QMessageBox::Ok},
        {StyleMessage::YesNo + StyleMessage::Question,
         {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::Question,
         QMessageBox::Yes},
        {StyleMessage::YesNo + StyleMessage::Exclamation + StyleMessage::DefautBouton2,
         {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::Warning,
         QMessageBox::No},
        {StyleMessage::YesNoCancel + StyleMessage::DefautBouton3,
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
         QMessageBox::NoIcon,
         QMessageBox::Cancel},
        {StyleMessage::OKCancel + StyleMessage::Critique,
         {QMessageBox::Ok, QMessageBox::Cancel},
         QMessageBox::Critical,
         QMessageBox::Ok},
        {StyleMessage::AbortRetryIgnore + StyleMessage::Information,
         {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore},
         QMessageBox::Information,
         QMessageBox::Abort},
        // A third default on a box of two buttons falls back to the first.
        {StyleMessage::RetryCancel + StyleMessage::DefautBouton3,
         {QMessageBox::Retry, QMessageBox::Cancel},
         QMessageBox::NoIcon,
         QMessageBox::Retry},
    };
    for (const Cas& c : cas) {
        std::unique_ptr<QMessageBox> b(
            ServiceDialogueWidgets::creerBoite(QStringLiteral("<b>x</b>"), c.style, QString()));
        QList<QMessageBox::StandardButton> vus;
        for (QAbstractButton* bouton : b->buttons())
            vus.append(b->standardButton(bouton));
        std::sort(vus.begin(), vus.end());
        auto attendus = c.boutons;
        std::sort(attendus.begin(), attendus.end());
        EXPECT_EQ(vus, attendus) << c.style;
        EXPECT_EQ(b->icon(), c.icone) << c.style;
        EXPECT_EQ(b->standardButton(b->defaultButton()), c.defaut) << c.style;
        EXPECT_EQ(b->windowTitle(), QStringLiteral("Dorvane"));
        EXPECT_EQ(b->textFormat(), Qt::PlainText);
    }
}

TEST(ServiceDialogueWidgets, ReponsesDesBoutons) {
    ServiceDialogueWidgets s;
    installerServiceDialogue(&s);
    QString texte, titre;
    cliquerDansLaBoite(QMessageBox::No, &texte, &titre);
    EXPECT_EQ(
        MsgBox(QStringLiteral("Confirmer la suppression !"), StyleMessage::YesNo, QStringLiteral("Stock")),
        Reponse::Non);
    EXPECT_EQ(texte, QStringLiteral("Confirmer la suppression !"));
    EXPECT_EQ(titre, QStringLiteral("Stock"));
    cliquerDansLaBoite(QMessageBox::Yes);
    EXPECT_EQ(MsgBox(QStringLiteral("?"), StyleMessage::YesNoCancel), Reponse::Oui);
    cliquerDansLaBoite(QMessageBox::Cancel);
    EXPECT_EQ(MsgBox(QStringLiteral("?"), StyleMessage::OKCancel), Reponse::Annuler);
    cliquerDansLaBoite(QMessageBox::Retry);
    EXPECT_EQ(MsgBox(QStringLiteral("?"), StyleMessage::AbortRetryIgnore), Reponse::Reessayer);
    cliquerDansLaBoite(QMessageBox::Ok);
    EXPECT_EQ(MsgBox(QStringLiteral("ENREGISTREMENT OK")), Reponse::OK);
    // Escape on a box with Cancel answers Cancel.
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(MsgBox(QStringLiteral("?"), StyleMessage::YesNoCancel), Reponse::Annuler);
    installerServiceDialogue(nullptr);
}

TEST(ServiceDialogueWidgets, AnnulerReessayerContinuerDansLaLangueEtSesReponses) {
    const QString langueAvant = Global().LangueCourante;
    const int style = StyleMessage::CancelTryContinue + StyleMessage::Exclamation;
    const QList<std::pair<QString, QStringList>> langues{
        {QStringLiteral("FR"), {"Annuler", "Réessayer", "Continuer"}},
        {QStringLiteral("DE"), {"Abbrechen", "Wiederholen", "Weiter"}},
        {QStringLiteral("NL"), {"Annuleren", "Opnieuw proberen", "Doorgaan"}},
        {QStringLiteral("PL"), {"Anuluj", "Ponów próbę", "Kontynuuj"}},
        {QStringLiteral("SK"), {"Zrušiť", "Skúsiť znova", "Pokračovať"}},
    };
    for (const auto& [langue, libelles] : langues) {
        Global().LangueCourante = langue;
        std::unique_ptr<QMessageBox> b(
            ServiceDialogueWidgets::creerBoite(QStringLiteral("x"), style + StyleMessage::DefautBouton2, {}));
        b->show();
        // As the user sees them, left to right.
        QList<QAbstractButton*> boutons = b->buttons();
        std::sort(boutons.begin(), boutons.end(),
                  [](QAbstractButton* g, QAbstractButton* d) { return g->x() < d->x(); });
        QStringList vus;
        for (QAbstractButton* bouton : boutons)
            vus.append(bouton->text());
        EXPECT_EQ(vus, libelles) << langue.toStdString();
        EXPECT_EQ(b->defaultButton()->text(), libelles.at(1)) << langue.toStdString();
    }

    // Each button answers as the original's: Cancel 2, Try Again 10, Continue 11; Escape is Cancel.
    Global().LangueCourante = QStringLiteral("NL");
    ServiceDialogueWidgets s;
    installerServiceDialogue(&s);
    const QList<std::pair<QString, int>> clics{{QStringLiteral("Annuleren"), 2},
                                               {QStringLiteral("Opnieuw proberen"), 10},
                                               {QStringLiteral("Doorgaan"), 11}};
    for (const auto& [libelle, reponse] : clics) {
        quandModal([libelle = libelle](QDialog* d) {
            auto* boite = qobject_cast<QMessageBox*>(d);
            ASSERT_NE(boite, nullptr);
            for (QAbstractButton* bouton : boite->buttons())
                if (bouton->text() == libelle)
                    QTest::mouseClick(bouton, Qt::LeftButton);
        });
        EXPECT_EQ(MsgBox(QStringLiteral("Le Site A  existe déjà !"), style, QStringLiteral("Erreur")),
                  reponse)
            << libelle.toStdString();
    }
    quandModal([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(MsgBox(QStringLiteral("?"), style), Reponse::Annuler);
    installerServiceDialogue(nullptr);
    Global().LangueCourante = langueAvant;
}

TEST(ServiceDialogueWidgets, AQuestionShowsTheArrowUnderTheHourglass) {
    ServiceDialogueWidgets s;
    installerServiceDialogue(&s);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    Qt::CursorShape pendant = Qt::WaitCursor;
    QTimer::singleShot(0, [&] {
        pendant = QGuiApplication::overrideCursor()->shape();
        auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(boite, nullptr);
        boite->button(QMessageBox::Ok)->click();
    });
    MsgBox(QStringLiteral("Pas de base de donnée!"));
    EXPECT_EQ(pendant, Qt::ArrowCursor);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "the hourglass comes back";
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Without the hourglass nothing is pushed.
    cliquerDansLaBoite(QMessageBox::Ok);
    MsgBox(QStringLiteral("?"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    installerServiceDialogue(nullptr);
}

TEST(ServiceDialogueWidgets, MotifsSansEgardALaCasse) {
    EXPECT_EQ(ServiceDialogueWidgets::motifSansCasse(QStringLiteral("*.JPG")),
              QStringLiteral("*.[jJ][pP][gG]"));
    EXPECT_EQ(ServiceDialogueWidgets::motifSansCasse(QStringLiteral("*.*")), QStringLiteral("*.*"));
    EXPECT_EQ(ServiceDialogueWidgets::motifSansCasse(QStringLiteral("a[0-9].x1")),
              QStringLiteral("[aA][0-9].[xX]1"));
}

TEST(ServiceDialogueWidgets, DialogueFichierFiltreIndexEtResultat) {
    QTemporaryDir dir;
    for (const char* nom : {"photo.jpg", "AUTRE.JPG", "notes.txt", "liste.xls"})
        QFile(dir.filePath(QString::fromLatin1(nom))).open(QIODevice::WriteOnly);

    DemandeOuvertureFichier d;
    d.Filter = QStringLiteral("JPEG Files (*.JPG)|*.JPG|Excel Files (*.xls)|*.xls");
    d.FilterIndex = 1;
    d.InitDir = dir.path();
    d.DlgTitle = QStringLiteral("Open A File");
    d.DefaultExt = QStringLiteral("jpg");
    d.FileMustExist = true;
    d.Vignettes = true;
    std::unique_ptr<QFileDialog> f(ServiceDialogueWidgets::creerDialogueFichier(d));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Open A File"));
    EXPECT_EQ(f->nameFilters(),
              (QStringList{QStringLiteral("JPEG Files (*.JPG)"), QStringLiteral("Excel Files (*.xls)")}));
    EXPECT_EQ(f->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(f->defaultSuffix(), QStringLiteral("jpg"));
    EXPECT_NE(f->findChild<QCheckBox*>(QStringLiteral("ReadOnly")), nullptr);

    // The list shows both pictures, whatever the case of their extension.
    auto* modele = f->findChild<QFileSystemModel*>();
    ASSERT_NE(modele, nullptr);
    f->show();
    const QModelIndex racine = modele->index(dir.path());
    QTRY_VERIFY_WITH_TIMEOUT(modele->rowCount(racine) > 0, 5000);
    QTest::qWait(100);
    QStringList visibles;
    for (int i = 0; i < modele->rowCount(racine); ++i) {
        const QModelIndex idx = modele->index(i, 0, racine);
        visibles.append(idx.data().toString());
    }
    visibles.sort();
    EXPECT_EQ(visibles, (QStringList{QStringLiteral("AUTRE.JPG"), QStringLiteral("photo.jpg")}));

    f->selectNameFilter(QStringLiteral("Excel Files (*.xls)"));
    f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("liste.xls"));
    f->findChild<QCheckBox*>(QStringLiteral("ReadOnly"))->setChecked(true);
    const ResultatOuvertureFichier r = ServiceDialogueWidgets::resultatDialogue(*f, d, true);
    EXPECT_TRUE(r.Accepte);
    EXPECT_EQ(r.FileName, dir.filePath(QStringLiteral("liste.xls")));
    EXPECT_EQ(r.FileTitle, QStringLiteral("liste.xls"));
    EXPECT_EQ(r.FilterIndex, 2);
    EXPECT_TRUE(r.ReadOnly);
    EXPECT_EQ(r.Flags & 1, 1);

    const ResultatOuvertureFichier annule = ServiceDialogueWidgets::resultatDialogue(*f, d, false);
    EXPECT_FALSE(annule.Accepte);
    EXPECT_EQ(annule.FilterIndex, -1);
    EXPECT_TRUE(annule.FileName.isEmpty());
    f->grab().save(QStringLiteral("/tmp/dorvane-dialogue-fichier.png"));
}

// Listing the program folder must not open the database: closing any other descriptor of the file drops
// the locks SQLite holds on it, and the next program to close it believes it was the last one, folds
// the WAL into the file and deletes it under the running program.
TEST(ServiceDialogueWidgets, LeDossierDeLaBaseListeSansLacherSesVerrous) {
    BaseDeTest base(Moteur::SQLite);
    ASSERT_TRUE(base.valide()) << base.erreur().toStdString();
    std::unique_ptr<Connexion> c = base.ouvrir();
    c->executer(QStringLiteral("CREATE TABLE EssaiVerrou (N INTEGER)"));
    const QString fichier = Connexion::cheminFichier(base.dossier(), base.parametres().base);
    const QString wal = fichier + QStringLiteral("-wal");
    ASSERT_TRUE(QFileInfo::exists(wal));

    const QString dossier = QDir(base.dossier()).canonicalPath();
    for (bool vignettes : {false, true}) {
        DemandeOuvertureFichier d;
        d.Filter = QStringLiteral("Tous les fichiers (*.*)|*.*");
        d.InitDir = dossier;
        d.Vignettes = vignettes;
        std::unique_ptr<QFileDialog> f(ServiceDialogueWidgets::creerDialogueFichier(d));
        auto* modele = f->findChild<QFileSystemModel*>();
        ASSERT_NE(modele, nullptr);
        QSignalSpy charge(modele, &QFileSystemModel::directoryLoaded);
        f->show();
        QTRY_VERIFY_WITH_TIMEOUT(
            std::any_of(charge.begin(), charge.end(),
                        [&](const QList<QVariant>& a) { return a.value(0).toString() == dossier; }),
            5000);
        // Every row's type and icon, and the list painted (thumbnails included).
        const QModelIndex racine = modele->index(dossier);
        QStringList noms;
        for (int i = 0; i < modele->rowCount(racine); ++i) {
            const QModelIndex idx = modele->index(i, 0, racine);
            noms << idx.data().toString();
            EXPECT_FALSE(modele->type(idx).isEmpty());
            modele->fileIcon(idx);
        }
        EXPECT_TRUE(noms.contains(QFileInfo(fichier).fileName())) << noms.join(u' ').toStdString();
        f->grab();
    }

    // Another program opens the database and quits.
    QProcess shell;
    // It reads the file: a statement that touches no page never opens the WAL.
    shell.start(QStringLiteral("sqlite3"), {fichier, QStringLiteral("SELECT COUNT(*) FROM sqlite_master")});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    EXPECT_TRUE(QFileInfo::exists(wal));
    {
        TransactionEcriture t(*c);
        c->executer(QStringLiteral("INSERT INTO EssaiVerrou (N) VALUES (?)"), {42});
        t.valider();
    }
    std::unique_ptr<Connexion> autre = base.ouvrir();
    EXPECT_EQ(
        autre->valeurUnique(QStringLiteral("SELECT COUNT(*) FROM EssaiVerrou WHERE N = ?"), {42}).toInt(), 1);
}

TEST(ServiceDialogueWidgets, OuvrirFichierDeBoutEnBout) {
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("salaries.xls"))).open(QIODevice::WriteOnly);
    DemandeOuvertureFichier d;
    d.Filter = QStringLiteral("Excel Files (*.xls)|*.xls");
    d.InitDir = dir.path();
    d.HideReadOnly = true;
    ServiceDialogueWidgets s;
    quandModal([&](QDialog* dialogue) {
        auto* f = qobject_cast<QFileDialog*>(dialogue);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->findChild<QCheckBox*>(QStringLiteral("ReadOnly")), nullptr);
        f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("salaries.xls"));
        static_cast<QDialog*>(f)->accept();
    });
    const ResultatOuvertureFichier r = s.ouvrirFichier(d);
    EXPECT_TRUE(r.Accepte);
    EXPECT_EQ(r.FileName, dir.filePath(QStringLiteral("salaries.xls")));
    EXPECT_EQ(r.FilterIndex, 1);

    quandModal([](QDialog* dialogue) { dialogue->reject(); });
    EXPECT_FALSE(s.ouvrirFichier(d).Accepte);
}

TEST(ServiceDialogueWidgets, EnregistrerSousProposeLeNomEtAjouteLExtension) {
    QTemporaryDir dir;
    DemandeEnregistrementFichier d;
    d.DlgTitle = QStringLiteral("Exporter le journal");
    d.Filter = QStringLiteral("Excel (*.xlsx)|*.xlsx|Tous (*.*)|*.*");
    d.FileName = QStringLiteral("journal.xlsx");
    d.InitDir = dir.path();
    std::unique_ptr<QFileDialog> f(ServiceDialogueWidgets::creerDialogueEnregistrement(d));
    EXPECT_EQ(f->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Exporter le journal"));
    EXPECT_EQ(f->nameFilters(),
              (QStringList{QStringLiteral("Excel (*.xlsx)"), QStringLiteral("Tous (*.*)")}));
    EXPECT_EQ(f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
              QStringLiteral("journal.xlsx"));
    EXPECT_EQ(ServiceDialogueWidgets::resultatEnregistrement(*f, true).FileName,
              dir.filePath(QStringLiteral("journal.xlsx")));
    EXPECT_FALSE(ServiceDialogueWidgets::resultatEnregistrement(*f, false).Accepte);

    ServiceDialogueWidgets s;
    // A name typed without extension gets the filter's.
    quandModal([](QDialog* dialogue) {
        dialogue->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("mars"));
        dialogue->accept();
    });
    ResultatEnregistrementFichier r = s.enregistrerFichier(d);
    EXPECT_TRUE(r.Accepte);
    EXPECT_EQ(r.FileName, dir.filePath(QStringLiteral("mars.xlsx")));

    quandModal([](QDialog* dialogue) { dialogue->reject(); });
    r = s.enregistrerFichier(d);
    EXPECT_FALSE(r.Accepte);
    EXPECT_TRUE(r.FileName.isEmpty());
}

TEST(ServiceDialogueWidgets, SaisieAnnuleeDonneVide) {
    ServiceDialogueWidgets s;
    quandModal([](QDialog* dialogue) { dialogue->reject(); });
    EXPECT_EQ(s.saisie(QStringLiteral("Nom ?"), QStringLiteral("Dorvane"), QStringLiteral("défaut")),
              QString());
    quandModal([](QDialog* dialogue) { dialogue->accept(); });
    EXPECT_EQ(s.saisie(QStringLiteral("Nom ?"), QStringLiteral("Dorvane"), QStringLiteral("défaut")),
              QStringLiteral("défaut"));
}

// With no printer installed (as on the test machine) the print dialog's list is not empty: it holds the
// PDF file output, chosen, with the file proposed; the answer names that file.
TEST(ServiceDialogueWidgets, SansImprimanteLeDialogueOffreUnFichierPdf) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "a printer is installed";
    QTemporaryDir dir;
    const QString propose = dir.filePath(QStringLiteral("Consommations - mars.pdf"));
    QPrinter imprimante;
    std::unique_ptr<QPrintDialog> d(ServiceDialogueWidgets::creerDialogueImprimante(imprimante, propose));
    d->show();
    const auto* liste = d->findChild<QComboBox*>(QStringLiteral("printers"));
    const auto* fichier = d->findChild<QLineEdit*>(QStringLiteral("filename"));
    ASSERT_TRUE(liste && fichier);
    EXPECT_EQ(liste->count(), 1);
    EXPECT_EQ(liste->currentIndex(), 0);
    EXPECT_TRUE(fichier->isVisible() && fichier->isEnabled());
    EXPECT_EQ(fichier->text(), propose);
    d->accept();
    const ResultatImprimante r = ServiceDialogueWidgets::resultatImprimante(imprimante, true);
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Choix.Fichier, propose);
    EXPECT_EQ(ServiceDialogueWidgets::resultatImprimante(imprimante, false).Code, 0);

    ServiceDialogueWidgets s;
    quandModal([](QDialog* dialogue) { dialogue->reject(); });
    EXPECT_EQ(s.choisirImprimante(propose).Code, 0);
}
