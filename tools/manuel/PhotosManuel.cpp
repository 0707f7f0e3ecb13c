#include "manuel/PhotosManuel.h"

#include "app/forms/FenLoading.h"
#include "app/forms/FrmPrincipal.h"
#include "app/forms/Main.h"
#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/IniFile.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <functional>

namespace PhotosManuel {

namespace {

// Questions get the answer that changes nothing (No, Cancel), or OK; input boxes their proposal; file and
// printer dialogs are cancelled. Every message is kept, to say why a window did not open.
class DialoguesManuel : public ServiceDialogue {
public:
    DialoguesManuel() : m_precedent(serviceDialogueInstalle()) { installerServiceDialogue(this); }
    ~DialoguesManuel() override { installerServiceDialogue(m_precedent); }

    int message(const QString& texte, int style, const QString&) override {
        messages << texte;
        switch (style & StyleMessage::MasqueBoutons) {
        case StyleMessage::YesNo:
            return Reponse::Non;
        case StyleMessage::AbortRetryIgnore:
            return Reponse::Abandonner;
        case StyleMessage::OK:
            return Reponse::OK;
        default:
            return Reponse::Annuler;
        }
    }
    QString saisie(const QString&, const QString&, const QString& defaut) override { return defaut; }
    ResultatOuvertureFichier ouvrirFichier(const DemandeOuvertureFichier&) override { return {}; }
    ResultatEnregistrementFichier enregistrerFichier(const DemandeEnregistrementFichier&) override {
        return {};
    }
    ResultatImprimante choisirImprimante(const QString&) override { return {}; }

    QStringList messages;

private:
    ServiceDialogue* m_precedent;
};

// The end of the run is marked as the program's own service marks it; nothing is opened or started; a
// modal show goes to the step under way.
class SessionManuel : public ServiceSessionCommun {
public:
    SessionManuel() : m_precedent(serviceSessionInstalle()) { installerServiceSession(this); }
    ~SessionManuel() override { installerServiceSession(m_precedent); }

    bool ouvrirDocument(const QString&) override { return false; }
    bool demarrerProgramme(const QString&, const QStringList&) override { return false; }
    void montrerModal(QObject* form) override {
        if (auto* w = qobject_cast<QWidget*>(form); w && surModal)
            surModal(w);
    }

    std::function<void(QWidget*)> surModal;

private:
    ServiceSession* m_precedent;
};

// The window as the desktop shows it: its contents under a title bar with its title.
QImage image(QWidget* fenetre) {
    const QImage contenu = fenetre->grab().toImage();
    const int barre = 30;
    QImage tout(contenu.width(), contenu.height() + barre, QImage::Format_RGB32);
    tout.fill(QColor(70, 80, 96));
    QPainter p(&tout);
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(12, 0, contenu.width() - 24, barre), Qt::AlignVCenter | Qt::AlignLeft,
               fenetre->windowTitle());
    p.drawImage(0, barre, contenu);
    return tout;
}

void attendreAffichage(QWidget* fenetre) {
    fenetre->activateWindow();
    (void)QTest::qWaitForWindowExposed(fenetre, 2000);
    // The forms fill their grids and pictures as they show.
    QTest::qWait(120);
}

QSet<QWidget*> fenetresVisibles() {
    QSet<QWidget*> s;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            s.insert(w);
    return s;
}

QSet<QWidget*> panneauxVisibles(QWidget* principale) {
    QSet<QWidget*> s;
    for (QFrame* f : principale->findChildren<QFrame*>(Qt::FindDirectChildrenOnly))
        if (f->isVisible())
            s.insert(f);
    return s;
}

void fermer(QWidget* w) {
    if (!w)
        return;
    w->close();
    if (w && w->isVisible())
        w->hide();
}

} // namespace

QStringList nomsDemandes(const QString& markdown) {
    static const QRegularExpression photo(QStringLiteral(R"(\]\(\s*shots/([A-Za-z0-9_]+)\.png\s*\))"));
    QStringList noms;
    for (auto m = photo.globalMatch(markdown); m.hasNext();) {
        const QString nom = m.next().captured(1);
        if (!noms.contains(nom))
            noms << nom;
    }
    return noms;
}

bool photographier(const QString& langue, const QStringList& noms, const QString& dossier,
                   QList<Photo>* photos, QString* erreur) {
    const auto echec = [erreur](const QString& texte) {
        if (erreur)
            *erreur = texte;
        return false;
    };
    if (!QDir().mkpath(dossier))
        return echec(QStringLiteral("cannot create %1").arg(dossier));
    DialoguesManuel dialogues;
    SessionManuel session;

    const QString ini =
        FnWendrox::CheminDansDossier(FnWendrox::CheminApplication(), QStringLiteral("automat.ini"));
    IniFile::ecrire(ini, QStringLiteral("Machine"), QStringLiteral("Langue"), langue);
    IniFile::oublierCache(ini);
    Main();
    FrmPrincipal& principale = frmPrincipal();
    bool ok = !Global().FinDemandee && principale.isVisible();
    if (!ok)
        echec(QStringLiteral("the program did not start: %1")
                  .arg(dialogues.messages.join(QStringLiteral(" / "))));
    else
        attendreAffichage(&principale);

    const auto garder = [&](const QString& nom, QWidget* fenetre) {
        Photo p;
        p.nom = nom;
        p.fenetre = fenetre->objectName();
        p.titre = fenetre->windowTitle();
        p.taille = fenetre->size();
        p.fichier = QDir(dossier).filePath(nom + QStringLiteral(".png"));
        if (!image(fenetre).save(p.fichier)) {
            ok = echec(QStringLiteral("cannot write %1").arg(p.fichier));
            return;
        }
        if (photos)
            photos->append(p);
    };

    for (const QString& nom : noms) {
        if (!ok)
            break;
        if (nom == NomPrincipale) {
            garder(nom, &principale);
            continue;
        }
        auto* bouton = principale.findChild<QPushButton*>(nom);
        if (!bouton || !bouton->isVisible() || !bouton->isEnabled()) {
            ok = echec(QStringLiteral("%1: no such button shown and enabled in the main menu").arg(nom));
            break;
        }
        dialogues.messages.clear();
        const QSet<QWidget*> avant = fenetresVisibles();
        const QSet<QWidget*> panneauxAvant = panneauxVisibles(&principale);
        bool photographiee = false;
        // A modal window is grabbed while it is shown; any other modal window it opens is closed.
        session.surModal = [&](QWidget* w) {
            if (photographiee) {
                fermer(w);
                return;
            }
            photographiee = true;
            QPointer<QWidget> garde(w);
            w->show();
            attendreAffichage(w);
            garder(nom, w);
            fermer(garde);
        };
        QTest::mouseClick(bouton, Qt::LeftButton);
        session.surModal = nullptr;
        if (photographiee)
            continue;
        // A modeless window: the button's form, or a new window.
        QWidget* ouverte = RegistreMenu::global().instanceExistante(nom);
        if (!ouverte || !ouverte->isVisible()) {
            ouverte = nullptr;
            const QSet<QWidget*> nouvelles = fenetresVisibles() - avant;
            if (nouvelles.size() == 1)
                ouverte = *nouvelles.begin();
        }
        if (ouverte) {
            attendreAffichage(ouverte);
            garder(nom, ouverte);
            fermer(ouverte);
            continue;
        }
        // A panel of the main window itself.
        const QSet<QWidget*> panneaux = panneauxVisibles(&principale) - panneauxAvant;
        if (!panneaux.isEmpty()) {
            QTest::qWait(50);
            garder(nom, &principale);
            for (QWidget* p : panneaux)
                p->hide();
            continue;
        }
        ok = echec(
            QStringLiteral("%1 (\"%2\"): no window opened%3")
                .arg(nom, bouton->text().trimmed(),
                     dialogues.messages.isEmpty()
                         ? QString()
                         : QStringLiteral("; message: ") + dialogues.messages.join(QStringLiteral(" / "))));
    }

    // The run ends as when the user leaves.
    if (principale.estCharge())
        principale.Unload();
    principale.hide();
    if (fenLoading().estCharge())
        fenLoading().Unload();
    fenLoading().hide();
    return ok;
}

} // namespace PhotosManuel
