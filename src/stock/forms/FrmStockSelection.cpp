// The picking mode: other forms show the article form modally to choose one article, which it hands
// back to them.
#include "stock/forms/FrmStock.h"

#include "common/EtatGlobal.h"
#include "common/FonctionUtilitaires.h"
#include "common/ServiceDialogue.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

void FrmStock::connecterSelection() {
    connect(CmdSelectioner, &QPushButton::clicked, this, [this] { CmdSelectioner_Click(); });
    connect(CmdSelectionerVide, &QPushButton::clicked, this, [this] { CmdSelectionerVide_Click(); });
}

ChoixArticle FrmStock::ChoisirArticle(QWidget* proprietaire, const OptionsChoix& options) {
    m_choix = ChoixArticle();
    // Loaded first: the load puts the normal buttons back.
    Load();
    if (!estCharge() || Global().FinDemandee)
        return m_choix;
    for (QWidget* w : std::initializer_list<QWidget*>{Command1, CmdPeriode, CmdAjout, cmdDelete, CmdScanner,
                                                      CmdChoixImage})
        w->hide();
    if (options.sansFiche)
        FrameFicheProduit->hide();
    CmdSelectioner->show();
    CmdSelectionerVide->setVisible(options.choixVide);
    // Ends when the form hides: a pick, the empty pick, or "Fermer".
    ShowModal(proprietaire);
    CmdSelectionerVide->hide();
    return m_choix;
}

std::optional<ChoixArticle> FrmStock::articleCourant() const {
    if (!surUnArticle())
        return std::nullopt;
    auto entier = [this](const char* champ) {
        const QVariant v = champCourant(QLatin1String(champ));
        return v.isNull() ? 0 : Valeurs::lireEntier(v);
    };
    ChoixArticle c;
    c.nature = ChoixArticle::Nature::Article;
    c.codeArticle = entier("CodeArticle");
    c.reference = entier("Reference");
    c.designation = FonctionUtilitaires::ConvertNullStr(champCourant(QStringLiteral("Designation")));
    c.refFournisseur = FonctionUtilitaires::ConvertNullStr(champCourant(QStringLiteral("RefFournisseur")));
    return c;
}

void FrmStock::CmdSelectioner_Click() {
    const EtatGlobal& g = Global();
    if (g.ConfigMachineOuverte) {
        // The machines know an article by its code: one without code cannot be planned.
        if (champCourant(QStringLiteral("CodeArticle")).isNull()) {
            MsgBox(g.msg(36) + u'\n' + g.msg(33), StyleMessage::Exclamation);
            return;
        }
    } else if (!g.FenQuotaOuverte) {
        return;
    }
    const std::optional<ChoixArticle> article = articleCourant();
    if (!article)
        return;
    m_choix = *article;
    Hide();
}

void FrmStock::CmdSelectionerVide_Click() {
    const EtatGlobal& g = Global();
    if (!g.ConfigMachineOuverte && !g.FenQuotaOuverte)
        return;
    m_choix = ChoixArticle::vide();
    Hide();
}

void FrmStock::DBGridStockVisible() {
    CmdSelectioner->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{CmdScanner, CmdChoixImage, FrameOptData2, DBGrid2,
                                                      CmdAjout, cmdDelete, Command1, CmdPeriode, SSPanel1})
        w->show();
    TextCherche->clear();
    // The sort of the list stays as it is.
    ModeRecherche = SSOptionRef->isChecked() ? 1 : 2;
    AfficherImage();
}
