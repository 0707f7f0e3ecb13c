// The employee's own profile (made with the profile form), the quota lines of the current employee's
// profile under the card with the size warning, and the consumption report of the current employee.
#include "staff/forms/FrmUtilisateur.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "staff/ConsoSalarie.h"
#include "staff/forms/FenQuota.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace {

const char* const FormatPeriode = "dd/MM/yyyy";

// Column 0 holds the line's key, out of sight, so that the grid's caption keys 1 to 5 land on their
// columns.
const char* const ColonnesDetail[][2] = {
    {"NoLigne", "NoLigne"},         {"RefArticle", "Réf. Article"}, {"CodeArticle", "Code Article"},
    {"Designation", "Désignation"}, {"Taille", "Taille"},           {"QtePermise", "Quota"},
    {"Periodicite", "Periodicité"},
};
constexpr int ColonneDesignation = 3;

QString texte(const QVariant& v) {
    return Valeurs::lireTexte(v);
}

QString description(const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    return erreur ? erreur->description() : QString::fromUtf8(e.what());
}

} // namespace

void FrmUtilisateur::construireDetailProfil() {
    QStringList champs, legendes;
    for (const auto& c : ColonnesDetail) {
        champs << QLatin1String(c[0]);
        legendes << QString::fromUtf8(c[1]);
    }
    ModeleDetail->setColonnes(champs, legendes);
    for (int c : {1, 2, 5})
        ModeleDetail->setFormat(c, RecordsetModel::Format::Entier);
    for (int c : {3, 4})
        ModeleDetail->setFormat(c, RecordsetModel::Format::Texte);
    ModeleDetail->setMotif(6, QStringLiteral("#### Jours"));
    // Every column as wide as its caption and cells, in any language; the designation takes the rest.
    QHeaderView* entete = DBGrid2->horizontalHeader();
    entete->setStretchLastSection(false);
    entete->setSectionResizeMode(QHeaderView::ResizeToContents);
    entete->setSectionResizeMode(ColonneDesignation, QHeaderView::Stretch);
    DBGrid2->setColumnHidden(0, true);

    connect(CmdQuota, &QPushButton::clicked, this, [this] { CmdQuota_Click(); });
    connect(CmdConso, &QPushButton::clicked, this, [this] { CmdConso_Click(); });
    connect(CmdPeriode, &QToolButton::clicked, this, [this] { CmdPeriode_Click(); });
}

void FrmUtilisateur::AfficherDetailProfil() {
    Connexion* c = connexionOuverte();
    const Recordset& rs = *data1;
    if (!c || !rs.IsOpen() || rs.AbsolutePosition() < 0)
        return;
    const EtatGlobal& g = Global();
    try {
        ConsoSalarie::OuvrirDetailProfil(*c, *data2, rs.Field(QStringLiteral("Quota")));
        // A new set of rows shows every column again.
        DBGrid2->setColumnHidden(0, true);
        const QString legende = MODTranslate::LireTraduction(g.FichierLangue, QStringLiteral("Grid"),
                                                             QStringLiteral("FrmUtilisateur.DBGrid2.Caption"),
                                                             QStringLiteral("Détail profil "));
        LegendeDBGrid2->setText(legende + u' ' + texte(rs.Field(QStringLiteral("Profile"))));
        // A profile without a line leaves the warning as it was.
        const std::optional<bool> manque = ConsoSalarie::TailleManquante(
            *data2, rs.Field(QStringLiteral("TailleChaussure")), rs.Field(QStringLiteral("OrdreM")),
            g.FamilleChaussures, g.FamilleGants);
        if (manque)
            Label3->setVisible(*manque);
    } catch (const std::exception& e) {
        // Logged under the failure's own description.
        MajBase::SignalerErreur(description(e), e);
    }
}

void FrmUtilisateur::CmdQuota_Click() {
    const EtatGlobal& g = Global();
    Recordset& rs = *data1;
    if (!rs.IsOpen() || rs.AbsolutePosition() < 0)
        return;
    if (MsgBox(QStringLiteral("Vous allez créer un profile spécifique pour le salarié: ") +
                   texte(rs.Field(QStringLiteral("Nom"))) + QStringLiteral("\r\nVeuillez confirmer !"),
               StyleMessage::YesNo | StyleMessage::Exclamation, g.msg(22)) != Reponse::Oui)
        return;
    try {
        FenQuota& profils = Instance<FenQuota>();
        profils.Load();
        profils.DepuisFicheSalarie = true;
        connect(&profils, &FenQuota::fermee, this, &FrmUtilisateur::FenQuota_fermee, Qt::UniqueConnection);
        // The row is found again by its key: the list is read again meanwhile.
        const QVariant salarie = rs.Field(QStringLiteral("IdUtilisateur"));
        const ResultatProfilSalarie r =
            profils.AjoutProfileSalarie(texte(rs.Field(QStringLiteral("NoBadge"))));
        ErreurProfilSalarie = r.issue == ResultatProfilSalarie::Issue::Refuse ? 1 : 0;
        NouveauNoQuota = r.issue == ResultatProfilSalarie::Issue::Cree ? r.noQuota : 0;
        if (ErreurProfilSalarie == 1) {
            ErreurProfilSalarie = 0;
            profils.Unload();
            Show();
            MsgBox(g.msg(13), StyleMessage::Exclamation, QStringLiteral("Erreur"));
            return;
        }
        if (r.issue == ResultatProfilSalarie::Issue::Echec) {
            profils.Unload();
            MsgBox(r.description, StyleMessage::Exclamation, QStringLiteral("Erreur"));
            return;
        }
        profils.ShowModal(this);
        // The new profile is the employee's, even with no article in it.
        if (NouveauNoQuota != 0) {
            if (!rs.Find(QStringLiteral("IdUtilisateur"), Recordset::Comparaison::Egal, salarie,
                         Recordset::Depart::Premier))
                throw ErreurExecution(ErreurExecution::ErreurBase,
                                      QStringLiteral("Le salarié n'est plus dans la liste"),
                                      QStringLiteral("CmdQuota_Click"));
            rs.SetField(QStringLiteral("Quota"), NouveauNoQuota);
            try {
                rs.Update();
            } catch (const ErreurExecution&) {
                rs.CancelUpdate();
                throw;
            }
            // Read again on that row: the profile's name and its detail.
            rs.Requery();
        }
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdQuota_Click"), e);
        MsgBox(description(e), StyleMessage::Exclamation, QStringLiteral("Erreur"));
    }
    NouveauNoQuota = 0;
}

void FrmUtilisateur::FenQuota_fermee() {
    Show();
    try {
        if (data1->IsOpen())
            data1->Requery();
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("FenQuota_fermee"), e);
    }
}

void FrmUtilisateur::CmdConso_Click() {
    const EtatGlobal& g = Global();
    const Recordset& rs = *data1;
    if (!rs.IsOpen() || rs.AbsolutePosition() < 0)
        return;
    const QString nom = texte(rs.Field(QStringLiteral("Nom")));
    const QString prenom = texte(rs.Field(QStringLiteral("Prenom")));
    if (DebutPeriode.isEmpty()) {
        const QDate aujourdhui = QDate::currentDate();
        DebutPeriode = QStringLiteral("01/01/") + QString::number(aujourdhui.year());
        FinPeriode = aujourdhui.toString(QLatin1String(FormatPeriode));
    }
    struct FinSablier {
        ~FinSablier() { FormBase::Sablier(false); }
    } finSablier;
    try {
        const FenCompteRendu::BoitesPeriode periode = FenCompteRendu::periode();
        periode.TextDebut->setText(DebutPeriode);
        periode.TextFin->setText(FinPeriode);
        Sablier(true);
        ConsoSalarie::DemandeConso demande;
        demande.nom = nom;
        demande.prenom = prenom;
        demande.debut = Valeurs::debutPeriode(QDate::fromString(DebutPeriode, QLatin1String(FormatPeriode)));
        demande.fin = Valeurs::finPeriode(QDate::fromString(FinPeriode, QLatin1String(FormatPeriode)));
        demande.versionGSM = g.OptionVersionGSM;
        // A failure of the builder is logged here and shown by the viewer; CA is then as it was.
        OptionsEtat options;
        options.constructeur = ReportData::logged(QStringLiteral("CmdConso_Click"),
                                                  [&](Connexion& c, const std::function<void()>& lecture) {
                                                      return ConsoSalarie::RemplirCA(c, demande, lecture);
                                                  });
        FenCrystalRep& viewer = Instance<FenCrystalRep>();
        viewer.Load();
        QString fichier = QStringLiteral("ConsUnSalarie.rpt");
        const ResultatEtat resultat = viewer.ImprimerEtat2(
            fichier, QString(), CmdConso->text() + u' ' + nom + u' ' + prenom,
            QStringLiteral("select * from CA order by CA.Reference"), QString(), options);
        Sablier(false);
        if (resultat == ResultatEtat::Pret)
            viewer.ShowModal(this);
        else if (resultat == ResultatEtat::RienAImprimer)
            MsgBox(g.msg(27), StyleMessage::Exclamation);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdConso_Click"), e);
    }
}

void FrmUtilisateur::CmdPeriode_Click() {
    Instance<Calendrier>().ShowModal();
    const EtatGlobal& g = Global();
    DebutPeriode = g.DateDebut.date().toString(QLatin1String(FormatPeriode));
    FinPeriode = g.DateFin.date().toString(QLatin1String(FormatPeriode));
    CmdConso_Click();
}
