#include "common/EtatGlobal.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

TEST(ServiceDialogueScripte, ReponsesDansLOrdreEtTitreParDefaut) {
    ServiceDialogueScripte d;
    EXPECT_EQ(serviceDialogueInstalle(), &d);
    d.attendreMessage(QStringLiteral("Confirmer la suppression !"), Reponse::Oui, QStringLiteral("Dorvane"),
                      StyleMessage::YesNo);
    d.attendreSaisie(QStringLiteral("Nom ?"), QStringLiteral("Dupont"));
    d.attendreFichierChoisi(QStringLiteral("/photos/12.jpg"));
    EXPECT_EQ(MsgBox(QStringLiteral("Confirmer la suppression !"), StyleMessage::YesNo), Reponse::Oui);
    EXPECT_EQ(InputBox(QStringLiteral("Nom ?")), QStringLiteral("Dupont"));
    const ResultatOuvertureFichier r = Dialogues().ouvrirFichier(DemandeOuvertureFichier{});
    EXPECT_TRUE(r.Accepte);
    EXPECT_EQ(r.FileTitle, QStringLiteral("12.jpg"));
    EXPECT_EQ(d.messages(), QStringList{QStringLiteral("Confirmer la suppression !")});
    EXPECT_EQ(d.attentesRestantes(), 0);

    // Cancel, Try Again, Continue: every answer comes back as scripted.
    const int style = StyleMessage::CancelTryContinue + StyleMessage::Exclamation;
    for (int reponse : {Reponse::Annuler, Reponse::NouvelEssai, Reponse::Continuer})
        d.attendreMessage(QStringLiteral("Le Site A  existe déjà !"), reponse, QStringLiteral("Erreur"),
                          style);
    EXPECT_EQ(MsgBox(QStringLiteral("Le Site A  existe déjà !"), style, QStringLiteral("Erreur")), 2);
    EXPECT_EQ(MsgBox(QStringLiteral("Le Site A  existe déjà !"), style, QStringLiteral("Erreur")), 10);
    EXPECT_EQ(MsgBox(QStringLiteral("Le Site A  existe déjà !"), style, QStringLiteral("Erreur")), 11);

    // The save request reaches the script whole; the answer is a path or cancelled.
    DemandeEnregistrementFichier demande;
    demande.DlgTitle = QStringLiteral("Exporter");
    demande.Filter = QStringLiteral("Excel (*.xlsx)|*.xlsx");
    demande.FileName = QStringLiteral("journal.xlsx");
    demande.InitDir = QStringLiteral("/exports");
    ResultatEnregistrementFichier choisi;
    choisi.Accepte = true;
    choisi.FileName = QStringLiteral("/exports/journal mars.xlsx");
    d.attendreEnregistrement(choisi, [](const DemandeEnregistrementFichier& vue) {
        EXPECT_EQ(vue.DlgTitle, QStringLiteral("Exporter"));
        EXPECT_EQ(vue.Filter, QStringLiteral("Excel (*.xlsx)|*.xlsx"));
        EXPECT_EQ(vue.FileName, QStringLiteral("journal.xlsx"));
        EXPECT_EQ(vue.InitDir, QStringLiteral("/exports"));
    });
    d.attendreEnregistrementAnnule();
    const ResultatEnregistrementFichier r1 = Dialogues().enregistrerFichier(demande);
    EXPECT_TRUE(r1.Accepte);
    EXPECT_EQ(r1.FileName, QStringLiteral("/exports/journal mars.xlsx"));
    const ResultatEnregistrementFichier r2 = Dialogues().enregistrerFichier(demande);
    EXPECT_FALSE(r2.Accepte);
    EXPECT_TRUE(r2.FileName.isEmpty());
    EXPECT_EQ(d.appels().last().genre, ServiceDialogueScripte::Genre::EnregistrementFichier);
}

TEST(ServiceDialogueScripte, AppelInattenduOuDifferentEchoue) {
    EXPECT_NONFATAL_FAILURE(
        {
            ServiceDialogueScripte d;
            EXPECT_EQ(MsgBox(QStringLiteral("Opération annulée !")), Reponse::Annuler);
        },
        "Unexpected message box");
    EXPECT_NONFATAL_FAILURE(
        {
            ServiceDialogueScripte d;
            d.attendreMessage(QStringLiteral("A"), Reponse::OK, QStringLiteral("LireIniInteger"));
            MsgBox(QStringLiteral("A"), StyleMessage::OK, QStringLiteral("LireIniString"));
        },
        "title");
    EXPECT_NONFATAL_FAILURE(
        {
            ServiceDialogueScripte d;
            d.attendreSaisie(QString(), QStringLiteral("x"));
            MsgBox(QStringLiteral("A"));
        },
        "expected input box");
    EXPECT_NONFATAL_FAILURE(
        {
            ServiceDialogueScripte d;
            d.attendreFichierChoisi(QStringLiteral("/x.xls"));
            EXPECT_FALSE(Dialogues().enregistrerFichier(DemandeEnregistrementFichier{}).Accepte);
        },
        "Unexpected save dialog");
    EXPECT_NONFATAL_FAILURE(
        {
            ServiceDialogueScripte d;
            d.attendreMessage(QStringLiteral("jamais"));
        },
        "never made");
    // The previous service is back.
    EXPECT_EQ(serviceDialogueInstalle(), nullptr);
}

TEST(ServiceSessionScripte, TerminerMarqueLaFinCommeLeVrai) {
    reinitialiserEtatGlobal();
    {
        ServiceSessionScripte s;
        s.attendreOuvrirDocument(QStringLiteral("/home/documents/mu_quorel.pdf"));
        EXPECT_TRUE(Session().ouvrirDocument(QStringLiteral("/home/documents/mu_quorel.pdf")));
        s.attendreDemarrerProgramme(QString(), false);
        EXPECT_FALSE(Session().demarrerProgramme(QStringLiteral("DVUpdate")));
        QObject form;
        bool vu = false;
        s.surModal([&](QObject* f) { vu = f == &form; });
        Session().montrerModal(&form);
        EXPECT_TRUE(vu);

        Session().terminer(4);
        EXPECT_TRUE(Global().FinDemandee);
        EXPECT_EQ(Global().CodeSortie, 4);
        EXPECT_EQ(s.codeFin(), 4);
    }
    // The end flag of the test does not leak into the next one.
    EXPECT_FALSE(Global().FinDemandee);
    EXPECT_EQ(serviceSessionInstalle(), nullptr);

    EXPECT_NONFATAL_FAILURE(
        {
            ServiceSessionScripte s;
            QObject form;
            Session().montrerModal(&form);
        },
        "Unexpected modal show");
    EXPECT_NONFATAL_FAILURE(
        {
            ServiceSessionScripte s;
            Session().ouvrirDocument(QStringLiteral("/x.pdf"));
        },
        "Unexpected document opening");
}

TEST(ServiceSession, SansServiceInstalleArretClair) {
    EXPECT_DEATH(Session(), "no.*installed|none is installed");
    EXPECT_DEATH(MsgBox(QStringLiteral("x")), "no dialog service is installed");
}
