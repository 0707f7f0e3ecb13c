// The article form: the consumption period, the alert computation and the article history.
#include "stock/forms/FrmStock.h"

#include "common/DateTexte.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "stock/AlertesStock.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The machines of each business unit of Combo1 (the Ormax sites).
struct Unite {
    const char* nom;
    const char* machines;
};
constexpr Unite Unites[] = {
    {"KRV Vardel", "(NoMachine = 1 OR NoMachine = 2)"},
    {"KRV Brelaz", "(NoMachine = 3 OR NoMachine = 4)"},
    {"ZNT Brelaz", "(NoMachine = 5 OR NoMachine = 6 OR NoMachine = 7 OR NoMachine = 8)"},
    {"ZNT Orlenz", "(NoMachine = 9 OR NoMachine = 10)"},
};

} // namespace

void FrmStock::connecterAlertes() {
    connect(CmdPeriode, &QPushButton::clicked, this, [this] { CmdPeriode_Click(); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
}

void FrmStock::CmdPeriode_Click() {
    Instance<Calendrier>().ShowModal(this);
    const EtatGlobal& g = Global();
    DateDebutPeriode = Calendrier::texteDate(g.DateDebut.date());
    DateFinPeriode = Calendrier::texteDate(g.DateFin.date());
}

void FrmStock::ecrirePeriodeEtats() {
    const FenCompteRendu::BoitesPeriode etats = FenCompteRendu::periode();
    etats.TextDebut->setText(DateDebutPeriode);
    etats.TextFin->setText(DateFinPeriode);
}

void FrmStock::Command8_Click() {
    CmdPeriode_Click();
    ecrirePeriodeEtats();
}

void FrmStock::Command1_Click() {
    const EtatGlobal& g = Global();
    QString jours = QString::number(Instance<Calendrier>().NombreJours);
    if (DateDebutPeriode.isEmpty()) {
        const QDate aujourdhui = QDate::currentDate();
        DateDebutPeriode = Calendrier::texteDate(aujourdhui.addDays(-30));
        DateFinPeriode = Calendrier::texteDate(aujourdhui);
        jours = QStringLiteral("31");
    }
    const QString texte = g.msg(18) + u'\n' + QStringLiteral("du ") + DateDebutPeriode +
                          QStringLiteral(" au ") + DateFinPeriode + QStringLiteral(" soit ") + jours +
                          QStringLiteral(" jour(s)") + u'\n' + QStringLiteral("choisissez oui!");
    if (MsgBox(texte, StyleMessage::YesNoCancel | StyleMessage::Information, g.msg(17)) == Reponse::Oui)
        CalulDesStockAlerte();
}

void FrmStock::CalulDesStockAlerte() {
    if (DateFinPeriode.isEmpty())
        DateFinPeriode = Calendrier::texteDate(QDate::currentDate());
    try {
        if (!AlertesStock::CalculerAlertes(connexion(), DateTexte::lire(DateDebutPeriode),
                                           DateTexte::lire(DateFinPeriode)))
            MsgBox(Global().msg(35), StyleMessage::Exclamation);
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("CalulDesStockAlerte"), e);
        MsgBox(e.description(), StyleMessage::Critique);
    }
}

void FrmStock::Command9_Click() {
    const EtatGlobal& g = Global();
    const QDate premier = DateTexte::lire(DateDebutPeriode);
    const QDate dernier = DateTexte::lire(DateFinPeriode);
    // Without a period nothing is read: CA still holds the rows of whichever report filled it last.
    if (!premier.isValid() || !dernier.isValid()) {
        MsgBox(g.msg(27), StyleMessage::Exclamation);
        return;
    }
    Sablier(true);
    struct FinSablier {
        ~FinSablier() { FormBase::Sablier(false); }
    } finSablier;

    const QString unite = Combo1->currentText();
    QString condition;
    QVariantList valeurs;
    for (const Unite& u : Unites)
        if (unite == QLatin1String(u.nom))
            condition = QLatin1String(u.machines) + QStringLiteral(" AND (Reference = ?)");
    if (!condition.isEmpty()) {
        valeurs << champCourant(QStringLiteral("Reference"));
    } else if (g.ClientTalmer) {
        condition = QStringLiteral("NomFamille LIKE ? ESCAPE '\\'");
        valeurs << Valeurs::echapperLike(Valeurs::lireTexte(champCourant(QStringLiteral("NomFamille"))));
    } else {
        condition = QStringLiteral("Reference = ?");
        valeurs << champCourant(QStringLiteral("Reference"));
    }

    // The period of the report header is this one, whichever button chose it.
    ecrirePeriodeEtats();
    const QDateTime debut = Valeurs::debutPeriode(premier);
    const QDateTime fin = Valeurs::finPeriode(dernier);
    OptionsEtat options;
    options.valeurs = valeurs;
    options.constructeur = [&](Connexion& c, const std::function<void()>& read) {
        bool lignes = false;
        Routines::EtatCA(c, debut, fin, [&] {
            lignes = c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA WHERE ") + condition, valeurs)
                         .toLongLong() > 0;
            if (lignes)
                read();
        });
        return lignes;
    };
    QString fichier = QStringLiteral("ConsSur1refeParSalarie.RPT");
    const QString titre = unite.isEmpty() ? Command9->text() : unite;
    try {
        const ResultatEtat r = Instance<FenCrystalRep>().ImprimerEtat(
            fichier, QString(), titre, QStringLiteral("select * from CA WHERE ") + condition, this, QString(),
            options);
        if (r == ResultatEtat::RienAImprimer)
            MsgBox(g.msg(27), StyleMessage::Exclamation);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CreerEtatCA"), e);
    }
}
