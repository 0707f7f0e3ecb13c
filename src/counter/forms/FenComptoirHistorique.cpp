// The counter history: the withdrawals of the badge in the badge box, shown in DataGrid1 and printed on the
// printer chosen. The employee's searches drop it, so that the next request reads it for the badge then
// typed; otherwise a request reads the same history again.
#include "counter/forms/FenComptoir.h"

#include "common/ErreurExecution.h"
#include "common/ServiceDialogue.h"
#include "common/forms/ImprimanteCourante.h"
#include "common/forms/LigneGrille.h"
#include "counter/HistoriqueComptoir.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "reports/ReportExcel.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <memory>

void FenComptoir::connecterHistorique() {
    new LigneGrille(DataGrid1, RsHistorique);
    // A caption wider than its column's design width, in whatever language, widens the column; the
    // designation takes what the others leave.
    QHeaderView* entete = DataGrid1->horizontalHeader();
    QList<int> largeurs;
    for (int c = 0; c < ModeleHistorique->columnCount(); ++c)
        largeurs << DataGrid1->columnWidth(c);
    auto ajuster = [this, entete, largeurs] {
        for (int c = 0; c < largeurs.size(); ++c)
            if (entete->sectionResizeMode(c) == QHeaderView::Interactive)
                DataGrid1->setColumnWidth(c, std::max(largeurs.at(c), entete->sectionSizeHint(c)));
    };
    connect(ModeleHistorique, &QAbstractItemModel::headerDataChanged, this, ajuster);
    ajuster();
    connect(CommandButton1, &QPushButton::clicked, this, [this] { CommandButton1_Click(); });
    connect(CommandButton2, &QPushButton::clicked, this, [this] { CommandButton2_Click(); });
}

void FenComptoir::AfficherHistorique(const QString& badge) {
    if (!RsHistorique->IsOpen())
        HistoriqueComptoir::LireHistorique(connexion(), badge, *RsHistorique);
    else
        RsHistorique->Requery();
    RsHistorique->MoveFirst();
}

void FenComptoir::RafraichirHistorique() {
    if (TextUtilisateur->text().isEmpty())
        return;
    Sablier(true);
    try {
        AfficherHistorique(TextUtilisateur->text());
    } catch (...) {
        Sablier(false);
        throw;
    }
    Sablier(false);
}

void FenComptoir::CommandButton1_Click() {
    try {
        RafraichirHistorique();
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + u' ' + e.description());
    }
}

void FenComptoir::CommandButton2_Click() {
    try {
        RafraichirHistorique();
        // The grid's texts as it shows them, every row: the refresh stood it on its first row.
        QStringList legendes;
        for (int c = 0; c < ModeleHistorique->columnCount(); ++c)
            legendes << ModeleHistorique->headerData(c, Qt::Horizontal).toString();
        Lst->clear();
        Lst->addItem(HistoriqueComptoir::LigneEntete(legendes));
        for (int r = 0; r < ModeleHistorique->rowCount(); ++r) {
            QStringList cellules;
            for (int c = 0; c < ModeleHistorique->columnCount(); ++c)
                cellules << ModeleHistorique->index(r, c).data().toString();
            Lst->addItem(HistoriqueComptoir::LigneHistorique(cellules));
        }
        QStringList lignes;
        for (int i = 0; i < Lst->count(); ++i)
            lignes << Lst->item(i)->text();
        const QString nom = Label2[3]->text() + u' ' + Label2[9]->text();
        const std::unique_ptr<QPrinter> imprimante = choisirEtCreerImprimante(QDir::home().filePath(
            ReportExcel::fileName(QStringLiteral("Historique ") + nom.trimmed(), QStringLiteral(".pdf"))));
        if (!imprimante)
            return;
        HistoriqueComptoir::ImprimerHistorique(*imprimante, nom, lignes, nomImprimante(*imprimante));
    } catch (const ErreurExecution& e) {
        MsgBox(e.description());
    }
}
