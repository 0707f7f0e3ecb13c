// The stock and employee lists and the withdrawals and returns reports of the reports menu.
#include "reports/forms/FenCompteRendu.h"

#include "common/DateTexte.h"
#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "reports/RetraitRetour.h"
#include "reports/forms/FenCrystalRep.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

const char* const FichiersSalaries[] = {
    "SalarieNom.RPT",      "Salariebadge.RPT",     "Salariesite.RPT",
    "SalarieService.RPT",  "SalarieProfile.RPT",   "SalarieTailleCh.RPT",
    "SalarieTailleMa.RPT", "SalarieMatricule.RPT", "SalarieParMachine.RPT"};

} // namespace

void FenCompteRendu::brancherListes() {
    static_assert(std::size(FichiersSalaries) == std::tuple_size_v<decltype(CmdSalarie)>);
    const QString stock = QStringLiteral("StockGlobal");
    // The captions are read at the click: they follow the language.
    brancherEtat(CmdArticleRupture, [this] {
        imprimerListe(QStringLiteral("ArticleRupture.RPT"), CmdArticleRupture->text(), QString());
    });
    brancherEtat(cmdPaieModeJournalier, [this, stock] {
        imprimerListe(SSOption2->isChecked() ? QStringLiteral("StockParRef.RPT")
                                             : QStringLiteral("StockParDesi.RPT"),
                      cmdPaieModeJournalier->text(), stock);
    });
    brancherEtat(CmdValeurStock, [this, stock] {
        imprimerListe(QStringLiteral("ValeurStock.RPT"), CmdValeurStock->text(), stock);
    });
    brancherEtat(CmdValeurStockParFournisseur, [this, stock] {
        imprimerListe(QStringLiteral("ValeurStockpardesi.RPT"), CmdValeurStockParFournisseur->text(), stock);
    });
    for (size_t i = 0; i < CmdSalarie.size(); ++i)
        brancherEtat(CmdSalarie[i], [this, i] {
            imprimerListe(QString::fromLatin1(FichiersSalaries[i]), CmdSalarie[i]->text(),
                          QStringLiteral("GrUtilisateur"));
        });

    connect(CmdRetourRetrait, &QPushButton::clicked, this, &FenCompteRendu::CmdRetourRetrait_Click);
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    brancherEtat(Command8, [this] { Command8_Click(); });
}

void FenCompteRendu::imprimerListe(const QString& fichier, const QString& titre, const QString& source,
                                   const QVariantList& valeurs) {
    OptionsEtat options;
    options.valeurs = valeurs;
    QString nom = fichier;
    Instance<FenCrystalRep>().ImprimerEtat(nom, QString(), titre, source, this, QString(), options);
}

// Rebuilt at each press, so that the entries follow the language of the message table.
void FenCompteRendu::CmdRetourRetrait_Click() {
    List1->clear();
    for (const int message : RetraitRetour::MessagesOrdres)
        List1->addItem(Global().msg(message));
    List1->setVisible(true);
}

void FenCompteRendu::List1_Click() {
    const int ordre = List1->currentRow();
    if (verifierPeriode()) {
        if (const std::optional<RetraitRetour::Source> s = RetraitRetour::liste(
                DateTexte::lire(TextDebut->text()), DateTexte::lire(TextFin->text()), ordre))
            imprimerListe(QStringLiteral("RetraitRetour.RPT"), CmdRetourRetrait->text(), s->sql, s->valeurs);
    }
    List1->setVisible(false);
}

void FenCompteRendu::Command8_Click() {
    const RetraitRetour::Source s =
        RetraitRetour::statut(DateTexte::lire(TextDebut->text()), DateTexte::lire(TextFin->text()));
    imprimerListe(QStringLiteral("ListeDerniersRetraitRetour.rpt"), Command8->text(), s.sql, s.valeurs);
}
