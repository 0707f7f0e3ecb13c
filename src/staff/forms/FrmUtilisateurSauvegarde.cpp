// The card's save, the add of an employee and the deletion: the handlers gather the card and show the
// outcome; the writes are SauvegardeSalarie's, one transaction each.
#include "staff/forms/FrmUtilisateur.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/EuroKey.h"
#include "staff/SauvegardeSalarie.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

// The key of the chosen line; none when no line is chosen.
std::optional<QVariant> cleChoisie(const QComboBox* c) {
    if (c->currentIndex() < 0)
        return std::nullopt;
    return c->currentData();
}

} // namespace

void FrmUtilisateur::connecterSauvegarde() {
    connect(CmdModif, &QPushButton::clicked, this, [this] { CmdModif_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
}

void FrmUtilisateur::faceCmdModif(bool enregistrer) {
    const EtatGlobal& g = Global();
    CmdModif->setText(g.msg(enregistrer ? 2 : 14));
    QPalette p = CmdModif->palette();
    p.setColor(QPalette::Button, enregistrer ? QColor(255, 0, 0) : CouleurModif);
    CmdModif->setPalette(p);
}

void FrmUtilisateur::CmdModif_Click() {
    if (Global().CodeArticleSansCle) {
        ModifierUtilisateurHTML5();
        return;
    }
    enregistrerCarte(QStringLiteral("CmdModif_Click"));
}

void FrmUtilisateur::ModifierUtilisateurHTML5() {
    enregistrerCarte(QStringLiteral("ModifierUtilisateurHTML5"));
}

void FrmUtilisateur::enregistrerCarte(const QString& procedure) {
    Recordset& rs = *data1;
    if (!rs.IsOpen() || rs.AbsolutePosition() < 0)
        return;
    const EtatGlobal& g = Global();
    SauvegardeSalarie::Carte carte;
    carte.badge = Text2[0]->text();
    carte.nom = Text2[1]->text();
    carte.prenom = Text2[2]->text();
    carte.matricule = Text2[3]->text();
    if (AvecTelMobile)
        carte.mobile = Text2[4]->text();
    carte.tailleChaussure = cleChoisie(Combo5);
    carte.tailleMain = cleChoisie(Combo4);
    carte.site = cleChoisie(Combo1);
    carte.service = cleChoisie(Combo2).value_or(QVariant());
    carte.quota = cleChoisie(Combo3);
    carte.langue = Combo6->currentText();
    try {
        const qint64 id = Valeurs::lireEntier(rs.Field(QStringLiteral("IdUtilisateur")));
        const SauvegardeSalarie::Resultat r =
            SauvegardeSalarie::enregistrer(connexion(), id, carte, g.TypeLecteurBadge, g.CodeArticleSansCle);
        if (r.etat == SauvegardeSalarie::Etat::BadgeSalarie) {
            MsgBox(QStringLiteral("No de Badge déjà utilisé par ") + u'\n' + r.nom + u' ' + r.prenom + u'\n' +
                       QStringLiteral("opération annulée !"),
                   StyleMessage::OKCancel | StyleMessage::Exclamation, QStringLiteral("Erreur"));
            return;
        }
        if (r.etat == SauvegardeSalarie::Etat::BadgeMaintenance) {
            MsgBox(QStringLiteral("Badge déjà utilisé pour la maintenance!"),
                   StyleMessage::OKCancel | StyleMessage::Exclamation, QStringLiteral("Erreur"));
            return;
        }
        faceCmdModif(false);
        rs.Requery();
        // The box shows the number as typed, padded; the check digit is the save's.
        Text2[0]->setText(r.boite);
    } catch (const ErreurExecution& e) {
        // Nothing was written: the card keeps what was typed, the button its face.
        MajBase::SignalerErreur(procedure, e);
        MsgBox(e.description(), StyleMessage::Exclamation, QStringLiteral("Erreur"));
    }
}

void FrmUtilisateur::cmdAdd_Click() {
    const EtatGlobal& g = Global();
    if (g.CodeArticleSansCle) {
        AjouterSalarieAncienneBase();
        return;
    }
    try {
        Recordset& rs = *data1;
        // A change of the list still pending is written first; a row gone meanwhile is passed over.
        if (rs.EditMode()) {
            try {
                rs.Update();
            } catch (const ErreurExecution& e) {
                if (e.numero() != Recordset::ViolationConcurrence)
                    throw;
                rs.CancelUpdate();
            }
        }
        QString badgeLu;
        if (g.TypeLecteurBadge == 2) {
            Sablier(true);
            struct Fin {
                ~Fin() { Sablier(false); }
            } fin;
            badgeLu = EuroKey::LireBadgeEuroKey();
        }
        // The name filter would hide the new row's empty surname: every employee, the current row kept.
        {
            const QSignalBlocker silence(TextCherche);
            TextCherche->clear();
        }
        if (m_filtreNom && rs.IsOpen()) {
            const QVariant courant = rs.AbsolutePosition() < 0 ? QVariant() : rs.Bookmark();
            m_filtreNom = false;
            rs.Filter(nullptr);
            if (rs.PositionOf(courant) >= 0)
                rs.SetBookmark(courant);
        }
        const SauvegardeSalarie::Ajout a = SauvegardeSalarie::ajouter(connexion(), rs, badgeLu);
        if (!a.ajoute) {
            // A placeholder row was deleted instead: the list without it, near where it stood.
            const int position = rs.AbsolutePosition();
            rs.Requery();
            if (position >= 0 && rs.RecordCount() > 0)
                rs.MoveTo(std::min(position, rs.RecordCount() - 1));
            faceCmdModif(false);
            return;
        }
        montrerNouveau(a.id);
        faceCmdModif(true);
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + u'\n' + e.description());
    }
}

void FrmUtilisateur::AjouterSalarieAncienneBase() {
    try {
        {
            const QSignalBlocker silence(TextCherche);
            TextCherche->clear();
        }
        if (m_filtreNom && data1->IsOpen()) {
            m_filtreNom = false;
            data1->Filter(nullptr);
        }
        montrerNouveau(SauvegardeSalarie::ajouterAncienneBase(connexion()));
        faceCmdModif(true);
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + u'\n' + e.description());
    }
}

void FrmUtilisateur::montrerNouveau(qint64 id) {
    data1->Requery();
    data1->Find(QStringLiteral("IdUtilisateur"), Recordset::Comparaison::Egal, id,
                Recordset::Depart::Premier);
    Text2[1]->setFocus();
}

void FrmUtilisateur::cmdDelete_Click() {
    Recordset& rs = *data1;
    if (!rs.IsOpen() || rs.AbsolutePosition() < 0)
        return;
    const EtatGlobal& g = Global();
    const QString nom = Valeurs::lireTexte(rs.Field(QStringLiteral("Nom")));
    const QString prenom = Valeurs::lireTexte(rs.Field(QStringLiteral("Prenom")));
    if (MsgBox(g.msg(24) + nom + u' ' + prenom + QStringLiteral(" !"), StyleMessage::YesNo, g.msg(22)) !=
        Reponse::Oui)
        return;
    const int position = rs.AbsolutePosition();
    try {
        // The row shown, by its key: never another one carrying the same badge.
        SauvegardeSalarie::supprimer(connexion(),
                                     Valeurs::lireEntier(rs.Field(QStringLiteral("IdUtilisateur"))));
    } catch (const ErreurExecution& e) {
        if (e.numero() == ErreurExecution::ErreurBase)
            MsgBox(g.msg(38), StyleMessage::OKCancel | StyleMessage::Exclamation, QStringLiteral("Erreur"));
        return;
    }
    try {
        // A change of the deleted row still pending has nowhere to go.
        if (rs.EditMode())
            rs.CancelUpdate();
        rs.Requery();
        if (rs.RecordCount() > 0)
            rs.MoveTo(std::min(position, rs.RecordCount() - 1));
    } catch (const ErreurExecution&) {
    }
}
