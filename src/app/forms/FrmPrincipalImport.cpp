// The main window's employee import: the dispatcher, the file request, the run on a worker thread with
// the bar, and the messages of each workbook layout.

#include "app/forms/FrmPrincipal.h"

#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/ProgessBarre.h"
#include "staff/ImportSalaries.h"

#include <QEventLoop>
#include <QFrame>
#include <QScopeGuard>
#include <QThread>

using ImportSalaries::Classeur;
using ImportSalaries::Issue;

namespace {

const QString kMauvaisFormat = QStringLiteral("Le fichier n'est pas au bon format !");

QString texteEchec(Classeur classeur, const ImportSalaries::Resultat& r) {
    QString texte;
    if (r.ligneFeuille > 0)
        texte = QStringLiteral("Feuille « %1 », ligne %2 :\n")
                    .arg(ImportSalaries::NomFeuille(classeur))
                    .arg(r.ligneFeuille);
    texte += r.erreur ? r.erreur->description() : QString();
    return texte + QStringLiteral("\n\nAucun salarié n'a été importé.");
}

} // namespace

void FrmPrincipal::CmdImportSalarie_Click() {
    if (m_importEnCours)
        return;
    try {
        if (ClientFenorel)
            ImportSalarieFenorel();
        else if (Global().ClientTalmer)
            CmdImportSalarieTalmer();
        else
            ImportSalarie();
    } catch (...) {
        ProgessBarre1->hide();
        MsgBox(kMauvaisFormat, StyleMessage::OK | StyleMessage::Critique);
    }
}

void FrmPrincipal::ImportSalarie() {
    importerSalaries(Classeur::Generique);
}

void FrmPrincipal::ImportSalarieFenorel() {
    importerSalaries(Classeur::Liste);
}

void FrmPrincipal::CmdImportSalarieTalmer() {
    importerSalaries(Classeur::Rapport1);
}

void FrmPrincipal::afficherBarreImport(int pourcent) {
    if (ProgessBarre1->isHidden()) {
        // Under the menu, across the middle of its bottom margin.
        const int largeur = SSPanel1->width() / 2;
        const int hauteur = 20;
        ProgessBarre1->setGeometry(SSPanel1->x() + (SSPanel1->width() - largeur) / 2,
                                   SSPanel1->y() + SSPanel1->height() - hauteur - 6, largeur, hauteur);
        ProgessBarre1->raise();
        ProgessBarre1->show();
    }
    ProgessBarre1->setValue(pourcent);
}

void FrmPrincipal::importerSalaries(Classeur classeur) {
    const QString chemin = ImportSalaries::DemanderFichier(static_cast<qint64>(internalWinId()));
    if (chemin.isEmpty())
        return;
    const ImportSalaries::Parametres parametres = ImportSalaries::ParametresCourants();

    // The run holds the database's write lock until it ends: a form opened meanwhile would wait on it, so
    // the menu stays closed. The window keeps repainting and the bar follows the rows.
    m_importEnCours = true;
    SSPanel1->setEnabled(false);
    SSPanelInfoCom->setEnabled(false);
    const auto rouvrir = qScopeGuard([this] {
        SSPanel1->setEnabled(true);
        SSPanelInfoCom->setEnabled(true);
        m_importEnCours = false;
    });
    ImportSalaries::Resultat r;
    // Called on the worker: the bar is moved on the window's thread (a call queued to a window that is
    // gone is dropped).
    const auto progression = [this](int pourcent) {
        QMetaObject::invokeMethod(
            this, [this, pourcent] { afficherBarreImport(pourcent); }, Qt::QueuedConnection);
    };
    std::unique_ptr<QThread> travail(
        QThread::create([&] { r = ImportSalaries::importer(classeur, chemin, parametres, progression); }));
    QEventLoop boucle;
    connect(travail.get(), &QThread::finished, &boucle, &QEventLoop::quit, Qt::QueuedConnection);
    travail->start();
    boucle.exec();
    travail->wait();
    travail.reset();

    const QString routine = ImportSalaries::NomRoutine(classeur);
    switch (r.issue) {
    case Issue::Termine:
        if (classeur == Classeur::Rapport1 && !ProgessBarre1->isHidden())
            FnWendrox::Attendre(0.5);
        ProgessBarre1->hide();
        break;
    case Issue::Garde:
        MsgBox(r.message, StyleMessage::OK);
        ProgessBarre1->hide();
        break;
    case Issue::Format:
        ProgessBarre1->hide();
        if (classeur == Classeur::Rapport1) {
            MsgBox(kMauvaisFormat, StyleMessage::OK | StyleMessage::Critique);
            break;
        }
        MsgBox(classeur == Classeur::Generique ? Global().msg(41) : kMauvaisFormat, StyleMessage::OK);
        if (r.erreur)
            MajBase::SignalerErreur(routine, *r.erreur);
        break;
    case Issue::Echec:
        // Nothing of the workbook was kept; "Rapport 1" logs before it hides the bar.
        if (classeur != Classeur::Rapport1)
            ProgessBarre1->hide();
        if (r.erreur)
            MajBase::SignalerErreur(routine, *r.erreur);
        ProgessBarre1->hide();
        MsgBox(texteEchec(classeur, r), StyleMessage::OK | StyleMessage::Critique);
        break;
    }
}
