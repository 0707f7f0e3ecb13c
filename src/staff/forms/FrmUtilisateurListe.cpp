// The employee list: the grid, the search box and its options, the sort of each mode.
#include "staff/forms/FrmUtilisateur.h"

#include "common/MajBase.h"
#include "common/forms/ClicBox.h"
#include "common/forms/LigneGrille.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <utility>

namespace {

struct ColonneGrille {
    const char* champ; // "" for the column bound to nothing
    const char* legende;
    int largeur;
};

const ColonneGrille Colonnes[] = {
    {"MatriculeSalarie", "No Matricule", 80},
    {"NoBadge", "No Badge", 90},
    {"Nom", "Nom", 105},
    {"Prenom", "Prénom", 85},
    {"Profile", "Profil", 95},
    {"TailleM", "Taille Mains", 75},
    {"", "", 16},
    {"NomSite", "Site", 90},
    {"NomService", "Service", 90},
    {"MachineAutorise", "Accès Machine", 90},
};
constexpr int ColonneMachines = 9;

// The cell button of a column: drawn at the right end of each cell; a click on it reports the column.
class DelegueBouton : public QStyledItemDelegate {
public:
    DelegueBouton(QObject* parent, std::function<void(int)> clic)
        : QStyledItemDelegate(parent), m_clic(std::move(clic)) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem texte = option;
        texte.rect.setRight(option.rect.right() - largeur(option.rect));
        QStyledItemDelegate::paint(p, texte, index);
        QStyleOptionButton b;
        b.rect = rectBouton(option.rect);
        b.text = QStringLiteral("...");
        b.state = QStyle::State_Enabled | QStyle::State_Raised;
        const QWidget* w = option.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_PushButton, &b, p, w);
    }

    bool editorEvent(QEvent* e, QAbstractItemModel* modele, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (e->type() == QEvent::MouseButtonRelease) {
            const auto* souris = static_cast<QMouseEvent*>(e);
            if (souris->button() == Qt::LeftButton &&
                rectBouton(option.rect).contains(souris->position().toPoint())) {
                // The view reports this release as a click in the grid as well: that click is the
                // button's, not one that closes what the button opens.
                m_boutonClique = true;
                m_clic(index.column());
                return true;
            }
        }
        return QStyledItemDelegate::editorEvent(e, modele, option, index);
    }

    // True once after the grid's click that pressed the button.
    bool prendreClicBouton() { return std::exchange(m_boutonClique, false); }

private:
    static int largeur(const QRect& cellule) { return std::min(22, cellule.width() / 2); }
    static QRect rectBouton(const QRect& cellule) {
        const int l = largeur(cellule);
        return QRect(cellule.right() - l + 1, cellule.top(), l, cellule.height());
    }
    std::function<void(int)> m_clic;
    bool m_boutonClique = false;
};

} // namespace

void FrmUtilisateur::construireRecherche() {
    FrameRecherche = new QGroupBox(this);
    FrameRecherche->setObjectName(QStringLiteral("FrameRecherche"));
    auto* h = new QHBoxLayout(FrameRecherche);
    h->setContentsMargins(10, 6, 10, 6);
    h->setSpacing(12);
    Label1 = new QLabel(QStringLiteral("Rechercher:"), FrameRecherche);
    Label1->setObjectName(QStringLiteral("Label1"));
    TextCherche = new QLineEdit(FrameRecherche);
    TextCherche->setObjectName(QStringLiteral("TextCherche"));
    // Narrow enough that the list and the card share a 1024-pixel screen.
    TextCherche->setMinimumWidth(120);
    Label1->setBuddy(TextCherche);
    auto option = [this](const char* nom, const QString& legende, void (FrmUtilisateur::*clic)()) {
        auto* o = new QRadioButton(legende, FrameRecherche);
        o->setObjectName(QLatin1String(nom));
        // Chosen by the user: its click runs (selecting the same option again applies it again).
        connect(o, &QRadioButton::clicked, this, [this, clic] { (this->*clic)(); });
        return o;
    };
    SSOptionBadge =
        option("SSOptionBadge", QStringLiteral("Par No Badge"), &FrmUtilisateur::SSOptionBadge_Click);
    SSOptionNom = option("SSOptionNom", QStringLiteral("Par Nom"), &FrmUtilisateur::SSOptionNom_Click);
    SSOptionMatricule =
        option("SSOptionMatricule", QStringLiteral("No Matricule"), &FrmUtilisateur::SSOptionMatricule_Click);
    SSOptionNom->setChecked(true);
    h->addWidget(Label1);
    h->addWidget(TextCherche, 1);
    h->addWidget(SSOptionBadge);
    h->addWidget(SSOptionNom);
    h->addWidget(SSOptionMatricule);
}

void FrmUtilisateur::construireListe(QWidget* zone) {
    auto* cadre = new QWidget(zone);
    auto* v = new QVBoxLayout(cadre);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    LegendeDBGrid1 = new QLabel(QStringLiteral("Salariés"), cadre);
    QFont gras = LegendeDBGrid1->font();
    gras.setBold(true);
    LegendeDBGrid1->setFont(gras);
    LegendeDBGrid1->setAlignment(Qt::AlignCenter);
    DBGrid1 = new QTableView(cadre);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    v->addWidget(LegendeDBGrid1);
    v->addWidget(DBGrid1, 1);
    static_cast<QGridLayout*>(zone->layout())->addWidget(cadre, 0, 0);
    declarerLegendeGrille(QStringLiteral("DBGrid1"), LegendeDBGrid1);

    QStringList champs, legendes;
    for (const ColonneGrille& c : Colonnes) {
        champs << QLatin1String(c.champ);
        legendes << QString::fromUtf8(c.legende);
    }
    ModeleSalaries->setColonnes(champs, legendes);
    ModeleSalaries->setGrille(objectName(), QStringLiteral("DBGrid1"));
    for (int i = 0; i < ModeleSalaries->columnCount(); ++i)
        ModeleSalaries->setFormat(i, RecordsetModel::Format::Texte);
    DBGrid1->setModel(ModeleSalaries);
    DBGrid1->setItemDelegateForColumn(ColonneMachines, new DelegueBouton(DBGrid1, [this](int colonne) {
                                          emit DBGrid1_ButtonClick(colonne);
                                      }));

    // Read-only: the only action in a cell is column 9's button.
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setAlternatingRowColors(true);
    DBGrid1->setSortingEnabled(false);
    DBGrid1->setWordWrap(false);
    // One height for every row: nothing is measured row by row.
    QHeaderView* lignes = DBGrid1->verticalHeader();
    lignes->hide();
    lignes->setSectionResizeMode(QHeaderView::Fixed);
    lignes->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    QHeaderView* entete = DBGrid1->horizontalHeader();
    entete->setSectionsClickable(true);
    entete->setHighlightSections(false);
    entete->setSectionResizeMode(QHeaderView::Interactive);
    entete->setStretchLastSection(true);
    for (int i = 0; i < ModeleSalaries->columnCount(); ++i)
        DBGrid1->setColumnWidth(i, Colonnes[i].largeur);
    // The machines column shows its header whole in every language ("Toegang automaat" is longer than
    // "Accès Machine"), also once the window is narrower than the grid's columns.
    const auto largeurMachines = [this] {
        DBGrid1->setColumnWidth(ColonneMachines,
                                std::max(Colonnes[ColonneMachines].largeur,
                                         DBGrid1->horizontalHeader()->sectionSizeHint(ColonneMachines)));
    };
    largeurMachines();
    connect(ModeleSalaries, &QAbstractItemModel::headerDataChanged, this,
            [largeurMachines](Qt::Orientation sens, int premiere, int derniere) {
                if (sens == Qt::Horizontal && premiere <= ColonneMachines && ColonneMachines <= derniere)
                    largeurMachines();
            });
}

void FrmUtilisateur::connecterListe() {
    connect(TextCherche, &QLineEdit::textChanged, this, [this] { TextCherche_Change(); });
    TextCherche->installEventFilter(new ClicBox(TextCherche, [this] { TextCherche_Click(); }));
    connect(DBGrid1, &QTableView::clicked, this, [this](const QModelIndex& index) {
        auto* bouton = dynamic_cast<DelegueBouton*>(DBGrid1->itemDelegateForColumn(index.column()));
        if (!bouton || !bouton->prendreClicBouton())
            DBGrid1_Click();
    });
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { DBGrid1_HeadClick(c); });
    // A row chosen in the grid is the list's current row, and so the card's; the row left keeps what
    // was typed for it first.
    m_ligneGrille = new LigneGrille(DBGrid1, data1);
    m_ligneGrille->setChoix([this](int ligne) {
        validerLigne();
        data1->MoveTo(ligne);
    });
}

void FrmUtilisateur::suivreLigneCourante() {
    m_ligneGrille->suivre();
}

void FrmUtilisateur::DBGrid1_Click() {
    SSPanel2->hide();
}

void FrmUtilisateur::DBGrid1_HeadClick(int ColIndex) {
    switch (ColIndex) {
    case 0:
        selectionnerOption(SSOptionMatricule);
        return;
    case 1:
        selectionnerOption(SSOptionBadge);
        return;
    case 2:
        selectionnerOption(SSOptionNom);
        return;
    default:
        return;
    }
}

void FrmUtilisateur::selectionnerOption(QRadioButton* option) {
    if (option->isChecked())
        return;
    option->setChecked(true);
    ChoisirModeRecherche();
}

void FrmUtilisateur::ChoisirModeRecherche() {
    try {
        TextCherche->setFocus();
        if (SSOptionBadge->isChecked())
            ModeRecherche = FicheSalarie::ParBadge;
        else if (SSOptionNom->isChecked())
            ModeRecherche = FicheSalarie::ParNom;
        else
            ModeRecherche = FicheSalarie::ParMatricule;
        {
            // Emptied without a search: the list is shown whole just below, in the new order.
            const QSignalBlocker silence(TextCherche);
            TextCherche->clear();
        }
        if (data1->IsOpen()) {
            // Read again when anything was written since its read (not after the load's), and sorted once,
            // after the read.
            data1->Requery(FicheSalarie::champMode(static_cast<FicheSalarie::Mode>(ModeRecherche)));
            if (m_filtreNom) {
                // Every employee again, those without a surname included, from the first (the sort just
                // made serves).
                m_filtreNom = false;
                data1->Filter(nullptr);
            }
        }
    } catch (const std::exception& e) {
        // Logged under the failure's own description.
        MajBase::SignalerErreur(QString::fromUtf8(e.what()), e);
    }
}

void FrmUtilisateur::TextCherche_Change() {
    // A list the name search has emptied is searched again from all its rows.
    if (!data1->IsOpen() || (data1->RecordCount() == 0 && !m_filtreNom))
        return;
    struct Suspension {
        FrmUtilisateur& f;
        ~Suspension() {
            f.m_rechercheEnCours = false;
            if (f.m_carteAFaire) {
                f.m_carteAFaire = false;
                f.data1_MoveComplete();
            }
        }
    } suspension{*this};
    m_rechercheEnCours = true;
    m_carteAFaire = false;
    bool echec = false;
    try {
        const QString texte = TextCherche->text();
        if (ModeRecherche == FicheSalarie::ParNom) {
            // The loaded rows, filtered as typed: no query per keystroke, nothing of the text in SQL. Each
            // filter replaces the last, so a text typed again is searched among every employee.
            m_filtreNom = true;
            data1->Filter(FicheSalarie::filtreNom(*data1, texte));
            // No row left to come back to.
            echec = data1->RecordCount() == 0;
        } else {
            FicheSalarie::chercher(*data1, static_cast<FicheSalarie::Mode>(ModeRecherche), texte);
        }
    } catch (const std::exception&) {
        echec = true;
    }
    if (echec)
        TextCherche->clear();
}

void FrmUtilisateur::TextCherche_Click() {
    TextCherche->clear();
}

void FrmUtilisateur::cmdClose_Click() {
    Hide();
}
