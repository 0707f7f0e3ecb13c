// The employee card: its controls, its fill after every move of the list, its choice lists and its keys.
#include "staff/forms/FrmUtilisateur.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/FiltreSaisie.h"
#include "db/Recordset.h"
#include "staff/Badges.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedLayout>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QComboBox* liste(const QString& nom, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(nom);
    c->setMinimumContentsLength(10);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMaxVisibleItems(20);
    return c;
}

// The line of a list holding that key; none when the key is Null or no line holds it (a site that no
// longer exists shows empty, and the employee's row keeps its number).
void choisirCle(QComboBox* c, const QVariant& cle) {
    int ligne = -1;
    if (!cle.isNull()) {
        const qint64 n = cle.toLongLong();
        for (int i = 0; i < c->count() && ligne < 0; ++i)
            if (c->itemData(i).toLongLong() == n)
                ligne = i;
    }
    c->setCurrentIndex(ligne);
}

QString texte(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

} // namespace

void FrmUtilisateur::construireCarte() {
    FrameFiche = new QGroupBox(this);
    FrameFiche->setObjectName(QStringLiteral("FrameFiche"));
    QWidget* f = FrameFiche;
    static const char* const Legendes[] = {
        "No Badge:", "Nom:",     "Prénom:", "Taille chaussures:", "Taille mains:",
        "Site:",     "Service:", "Profil:", "No Matricule:",      "Langue:"};
    for (int i = 0; i < 10; ++i) {
        auto* l = new QLabel(QString::fromUtf8(Legendes[i]), f);
        l->setObjectName(QStringLiteral("Label2(%1)").arg(i));
        Label2.append(l);
    }
    for (int i = 0; i < 5; ++i) {
        auto* t = new QLineEdit(f);
        t->setObjectName(QStringLiteral("Text2(%1)").arg(i));
        Text2.append(t);
    }
    // The mobile number: digits and control keys only.
    FiltreSaisie::installer(Text2[4]);
    Combo1 = liste(QStringLiteral("Combo1"), f);
    Combo2 = liste(QStringLiteral("Combo2"), f);
    Combo3 = liste(QStringLiteral("Combo3"), f);
    Combo4 = liste(QStringLiteral("Combo4"), f);
    Combo5 = liste(QStringLiteral("Combo5"), f);
    Combo6 = liste(QStringLiteral("Combo6"), f);

    Command1 = new QPushButton(f);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command1->setIconSize(QSize(24, 24));
    Command1->setFixedSize(36, 32);
    Command1->setToolTip(QStringLiteral("Etiquette - Avery L7060 - 63,5 x 38,1 cm"));
    CmdQuota =
        creerBouton(QStringLiteral("CmdQuota"), QStringLiteral("Créer un profil pour ce salarié: "), f);

    auto* g = new QGridLayout(f);
    g->setContentsMargins(12, 10, 12, 10);
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(6);
    int ligne = 0;
    auto rang = [&](int label, QWidget* w, QWidget* apres = nullptr) {
        g->addWidget(Label2[label], ligne, 0);
        g->addWidget(w, ligne, 1);
        if (apres)
            g->addWidget(apres, ligne, 2);
        Label2[label]->setBuddy(w);
        ++ligne;
    };
    rang(0, Text2[0], Command1);
    rang(8, Text2[3]);
    rang(1, Text2[1]);
    rang(2, Text2[2]);
    rang(5, Combo1);
    rang(6, Combo2);
    rang(7, Combo3);
    g->addWidget(CmdQuota, ligne++, 1);
    rang(4, Combo4);
    rang(3, Combo5);
    // The mobile number stands where the language list is.
    auto* place = new QWidget(f);
    auto* pile = new QStackedLayout(place);
    pile->setStackingMode(QStackedLayout::StackAll);
    pile->addWidget(Combo6);
    pile->addWidget(Text2[4]);
    Text2[4]->hide();
    rang(9, place);
    g->setColumnStretch(1, 1);
}

void FrmUtilisateur::connecterCarte() {
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Change(); });
}

void FrmUtilisateur::data1_MoveComplete() {
    if (m_rechercheEnCours) {
        m_carteAFaire = true;
        return;
    }
    Recordset& rs = *data1;
    if (!rs.IsOpen() || rs.RecordCount() == 0)
        return;
    if (rs.IsBOF() || rs.IsEOF()) {
        // Off the rows: the first one is current (its move fills the card).
        rs.MoveFirst();
        return;
    }
    suivreLigneCourante();
    m_carteEnCours = true;
    struct Fin {
        bool& b;
        ~Fin() { b = false; }
    } fin{m_carteEnCours};
    for (int i = 0; i <= 3; ++i)
        Text2[i]->clear();
    const QVariant site = rs.Field(QStringLiteral("Site"));
    if (!site.isNull())
        RemplirColService(site.toLongLong());
    else
        Combo2->clear();
    Text2[0]->setText(texte(rs.Field(QStringLiteral("NoBadge"))));
    Text2[1]->setText(texte(rs.Field(QStringLiteral("Nom"))));
    Text2[3]->setText(texte(rs.Field(QStringLiteral("MatriculeSalarie"))));
    Text2[2]->setText(texte(rs.Field(QStringLiteral("Prenom"))));
    // Each list on the line of the row's key.
    choisirCle(Combo5, rs.Field(QStringLiteral("TailleChaussure")));
    choisirCle(Combo4, rs.Field(QStringLiteral("TailleMain")));
    choisirCle(Combo1, site);
    const QVariant service = rs.Field(QStringLiteral("Service"));
    choisirCle(Combo2, service);
    // A service the site's list does not offer (another site's, or the row has no site) is shown all the
    // same, as its own line: a save of the card as it stands keeps it.
    if (Combo2->currentIndex() < 0 && !service.isNull() && !rs.Field(QStringLiteral("NoService")).isNull()) {
        Combo2->addItem(texte(rs.Field(QStringLiteral("NomService"))), service);
        Combo2->setCurrentIndex(Combo2->count() - 1);
    }
    choisirCle(Combo3, rs.Field(QStringLiteral("Quota")));
    const QVariant langue = rs.Field(QStringLiteral("Langue"));
    Combo6->setCurrentIndex(
        Combo6->findText(langue.isNull() ? QStringLiteral("FR") : langue.toString(), Qt::MatchFixedString));
    if (AvecTelMobile)
        Text2[4]->setText(texte(rs.Field(QStringLiteral("NoUtilisateur"))));
    AfficherDetailProfil();
}

void FrmUtilisateur::remplirListe(QComboBox* c, const QList<FicheSalarie::Ligne>& lignes) {
    const bool avant = m_carteEnCours;
    m_carteEnCours = true;
    c->clear();
    for (const FicheSalarie::Ligne& l : lignes)
        c->addItem(l.nom, l.numero);
    c->setCurrentIndex(-1);
    m_carteEnCours = avant;
}

void FrmUtilisateur::RemplirColSite() {
    const EtatGlobal& g = Global();
    try {
        remplirListe(Combo1, FicheSalarie::sites(connexion()));
        remplirListe(Combo3, FicheSalarie::profils(connexion()));
        remplirListe(Combo4, FicheSalarie::tailles(connexion(), g.FamilleGants));
        remplirListe(Combo5, FicheSalarie::tailles(connexion(), g.FamilleChaussures));
        if (!g.OptionLienSiteService)
            RemplirColService(0);
        const bool avant = m_carteEnCours;
        m_carteEnCours = true;
        Combo6->clear();
        Combo6->addItems(FicheSalarie::langues());
        Combo6->setCurrentIndex(-1);
        m_carteEnCours = avant;
    } catch (const ErreurExecution& e) {
        MsgBox(QStringLiteral("RemplirColSite ") + QString::number(e.numero()) + u' ' + e.description());
    }
}

void FrmUtilisateur::RemplirColService(qint64 site) {
    try {
        remplirListe(Combo2, FicheSalarie::services(connexion(), Global().OptionLienSiteService, site));
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("RemplirColService "), e);
    }
}

void FrmUtilisateur::Combo1_Change() {
    if (m_carteEnCours)
        return;
    const int ligne = Combo1->currentIndex();
    if (ligne >= 0)
        RemplirColService(Combo1->itemData(ligne).toLongLong());
}

bool FrmUtilisateur::BadgeMaintenanceUtilise(const QString& badge) {
    if (!Badges::EstBadgeMaintenance(connexion(), badge))
        return false;
    MsgBox(QStringLiteral("Badge déjà utilisé pour la maintenance!"),
           StyleMessage::OKCancel | StyleMessage::Exclamation, QStringLiteral("Erreur"));
    return true;
}

void FrmUtilisateur::validerLigne() {
    Recordset& rs = *data1;
    if (!rs.IsOpen() || rs.RecordCount() == 0 || !rs.EditMode())
        return;
    try {
        rs.Update();
    } catch (const ErreurExecution& e) {
        // Refused (the row went meanwhile): said, and the row goes back to what the database holds.
        MsgBox(e.description(), StyleMessage::Exclamation, QStringLiteral("Erreur"));
        rs.CancelUpdate();
    }
}

void FrmUtilisateur::Text2_KeyPress(int Index, int& KeyAscii) {
    Q_UNUSED(Index);
    if (KeyAscii == 13) {
        // Enter commits, then moves on as Tab does.
        validerLigne();
        KeyAscii = 0;
        focusNextChild();
    } else if (KeyAscii == 9) {
        validerLigne();
    }
}
