#include "stock/forms/frmMouvtStock.h"
#include "BaseDeTest.h"
#include "app/forms/RegistreMenu.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "db/RecordsetModel.h"
#include "stock/EntreeStock.h"
#include "support/CouvertureLangues.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class frmMouvtStockTest : public TestAvecBase {
protected:
    void TearDown() override {
        DetruireInstance<frmMouvtStock>();
        dialogues.verifierTout();
        TestAvecBase::TearDown();
        reinitialiserEtatGlobal();
    }
    void entrer(qint32 qte, const QDate& jour) {
        ASSERT_TRUE(EntreeStock::entrerStock(cnx(), {1001, qte, {}, {}, {}, QString(), jour}));
    }
    QString quantites(frmMouvtStock& f) {
        QStringList q;
        for (int r = 0; r < f.modele()->rowCount(); ++r)
            q << f.modele()->index(r, 4).data().toString();
        return q.join(u' ');
    }
    // Shown again, coming from another window.
    void montrer(frmMouvtStock& f) {
        QWidget autre;
        autre.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&autre));
        f.Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }

    ServiceDialogueScripte dialogues;
};

} // namespace

TEST_P(frmMouvtStockTest, NewestFirstRefreshedAtEachShowingTranslatedAndALoadFailure) {
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, QteEnStock) VALUES (1001, 0)"));
    const QDate jour = QDate::currentDate();
    entrer(5, jour.addDays(-3));
    entrer(7, jour);
    ServiceSessionScripte session;
    session.surModal([&](QObject* forme) { montrer(*static_cast<frmMouvtStock*>(forme)); });
    ASSERT_TRUE(RegistreMenu::global().ouvrir(QStringLiteral("CmdMouvementStock"), nullptr));
    frmMouvtStock& f = Instance<frmMouvtStock>();
    ASSERT_EQ(session.formsModales().value(0), &f);
    EXPECT_EQ(quantites(f), QStringLiteral("7 5"));

    // A header sorts; "Fermer" hides, loaded; an entry booked meanwhile is on top when shown again,
    // above the older one of the same day, the header's sort dropped.
    emit f.DBGrid1->horizontalHeader()->sectionClicked(4);
    EXPECT_EQ(quantites(f), QStringLiteral("5 7"));
    f.cmdClose->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.estCharge());
    entrer(3, jour);
    montrer(f);
    EXPECT_EQ(quantites(f), QStringLiteral("3 7 5"));
    f.Unload();

    const QStringList manquantes = clesManquantes(&f);
    EXPECT_TRUE(manquantes.isEmpty()) << manquantes.join(QLatin1Char('\n')).toStdString();
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = QStringLiteral(DORVANE_RESOURCES_DIR) + QStringLiteral("/nederlands.lng");
    montrer(f);
    EXPECT_EQ(f.windowTitle() + u'|' + f.LegendeDBGrid1->text() + u'|' +
                  f.modele()->headerData(2, Qt::Horizontal).toString(),
              QStringLiteral("Voorraadbewegingen|VOORRAADBEWEGINGEN|Ref. product"));
    f.Unload();

    // The journal cannot be read: "Error:", the number, a blank and the description; the form unloads.
    cnx().executer(QStringLiteral("ALTER TABLE MouvementStock RENAME TO MouvementStockAbsent"));
    dialogues.attendreMessageContenant(QStringLiteral("Error:") +
                                       QString::number(ErreurExecution::ErreurBase) + u' ');
    f.Load();
    EXPECT_FALSE(f.estCharge());
    EXPECT_EQ(f.connexionOuverte(), nullptr);
}

DORVANE_SUR_CHAQUE_BASE(frmMouvtStockTest);
