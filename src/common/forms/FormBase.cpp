#include "common/forms/FormBase.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/ServiceSession.h"
#include "common/forms/TraductionsQt.h"
#include "common/forms/TraduireForm.h"
#include "db/Connexion.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QChildEvent>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QWindow>

namespace {
bool s_sablier = false;
}

namespace {

// The window that had the focus before the current one (nullptr: another application had it).
struct SuiviFocus {
    QPointer<QWindow> courante;
    QPointer<QWindow> precedente;
};

SuiviFocus& suiviFocus() {
    static SuiviFocus suivi;
    static const bool branche = [] {
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow* w) {
            if (w != suivi.courante) {
                suivi.precedente = suivi.courante;
                suivi.courante = w;
            }
        });
        return true;
    }();
    Q_UNUSED(branche);
    return suivi;
}

} // namespace

FormBase::FormBase(const QString& nomForm, QWidget* parent, Qt::WindowFlags drapeaux)
    : QWidget(parent, drapeaux) {
    setObjectName(nomForm);
    setAttribute(Qt::WA_DeleteOnClose, false);
    surveiller(this);
    suiviFocus();
}

FormBase::~FormBase() = default;

template <class Fn> void FormBase::appeler(const char* evenement, Fn&& fn) {
    // Exceptions must not cross Qt's event delivery.
    try {
        fn();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(objectName() + QLatin1Char('.') + QLatin1String(evenement), e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(objectName() + QLatin1Char('.') + QLatin1String(evenement), e);
    }
}

// --- life cycle ---

void FormBase::Load() {
    if (m_charge)
        return;
    if (!m_dejaCharge) {
        memoriserTextes();
        m_dejaCharge = true;
    } else {
        restaurerTextes();
    }
    m_charge = true;
    SuivreLangueCourante();
    appeler("Form_Load", [this] { Form_Load(); });
}

void FormBase::Show() {
    Load();
    if (!m_charge || Global().FinDemandee)
        return;
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) // it cannot raise and says so
        raise();
    activateWindow();
}

void FormBase::ShowModal(QWidget* proprietaire) {
    Load();
    if (!m_charge || Global().FinDemandee)
        return;
    if (proprietaire && proprietaire->window() != this) {
        winId(); // the native window must exist to carry its owner
        if (QWindow* w = windowHandle(); w && proprietaire->window()->windowHandle())
            w->setTransientParent(proprietaire->window()->windowHandle());
    }
    Session().montrerModal(this);
}

bool FormBase::decharger() {
    if (!m_charge)
        return true;
    bool annuler = false;
    appeler("Form_Unload", [this, &annuler] { Form_Unload(annuler); });
    if (annuler)
        return false;
    appeler("Form_Unload", [this] { fermerConnexion(); });
    for (const auto& nettoyage : std::as_const(m_nettoyages))
        appeler("Form_Unload", [&nettoyage] { nettoyage(); });
    m_charge = false;
    return true;
}

bool FormBase::Unload() {
    if (!decharger())
        return false;
    m_dansDechargement = true;
    hide();
    m_dansDechargement = false;
    return true;
}

void FormBase::closeEvent(QCloseEvent* e) {
    if (m_masquerALaFermeture || m_dansDechargement) {
        e->accept();
        return;
    }
    if (decharger())
        e->accept();
    else
        e->ignore();
}

void FormBase::showEvent(QShowEvent* e) {
    // A plain show() of an unloaded form loads it first, as showing a form does.
    if (!m_charge)
        Load();
    if (!e->spontaneous())
        m_activationAttendue = true;
    QWidget::showEvent(e);
}

void FormBase::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    appeler("Form_Resize", [this] { Form_Resize(); });
}

Connexion& FormBase::connexion() {
    if (!m_connexion) {
        auto c = std::make_unique<Connexion>();
        c->ouvrirPrincipale();
        m_connexion = std::move(c);
    }
    return *m_connexion;
}

void FormBase::fermerConnexion() {
    m_connexion.reset();
}

void FormBase::setBoutonAnnuler(QAbstractButton* bouton) {
    m_boutonAnnuler = bouton;
}

QPushButton* FormBase::creerBouton(const QString& nom, const QString& legende, QWidget* parent) {
    auto* b = new QPushButton(legende, parent ? parent : this);
    b->setObjectName(nom);
    // Enter stays with the box that has the focus: the forms store or search on it.
    b->setAutoDefault(false);
    return b;
}

void FormBase::ajouterNettoyage(std::function<void()> nettoyage) {
    m_nettoyages.append(std::move(nettoyage));
}

// --- captions kept from construction, put back at each reload ---

void FormBase::memoriserTextes() {
    m_textesInitiaux.clear();
    m_entetesInitiaux.clear();
    m_textesInitiaux.append({this, "windowTitle", windowTitle()});
    for (QObject* c : MODTranslate::ControlesFormulaire(this)) {
        bool aLegende = false;
        MODTranslate::LegendeControle(c, &aLegende);
        if (aLegende) {
            const char* prop = qobject_cast<QGroupBox*>(c) || qobject_cast<QMenu*>(c) ? "title" : "text";
            m_textesInitiaux.append({c, prop, c->property(prop)});
        }
        m_textesInitiaux.append({c, "toolTip", c->property("toolTip")});
        if (auto* vue = qobject_cast<QAbstractItemView*>(c); vue && vue->model()) {
            // Column headers are captions too (grid captions from the language files).
            QAbstractItemModel* m = vue->model();
            for (int i = 0; i < m->columnCount(); ++i)
                m_entetesInitiaux.append({m, i, m->headerData(i, Qt::Horizontal, Qt::DisplayRole)});
        }
    }
    // Grid captions may sit on unnamed widgets.
    for (const QPointer<QWidget>& l : std::as_const(m_legendes))
        if (l && l->objectName().isEmpty()) {
            const char* prop = qobject_cast<QGroupBox*>(l) ? "title" : "text";
            m_textesInitiaux.append({l.data(), prop, l->property(prop)});
        }
}

void FormBase::restaurerTextes() {
    for (const TexteInitial& t : std::as_const(m_textesInitiaux))
        if (t.objet && t.objet->property(t.propriete.constData()) != t.valeur)
            t.objet->setProperty(t.propriete.constData(), t.valeur);
    for (const EnteteInitial& t : std::as_const(m_entetesInitiaux))
        if (t.modele && t.colonne < t.modele->columnCount() &&
            t.modele->headerData(t.colonne, Qt::Horizontal, Qt::DisplayRole) != t.valeur)
            t.modele->setHeaderData(t.colonne, Qt::Horizontal, t.valeur, Qt::DisplayRole);
}

// --- activation, key preview ---

bool FormBase::activationDUneForme() {
    if (m_activationAttendue) {
        m_activationAttendue = false;
        return true;
    }
    // Back from a message box, a file dialog or another application: no activation of the form. The
    // focus change may come before or after the activation.
    const SuiviFocus& suivi = suiviFocus();
    QWindow* avant = suivi.courante == windowHandle() ? suivi.precedente.data() : suivi.courante.data();
    if (!avant)
        return false;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->windowHandle() == avant)
            return qobject_cast<FormBase*>(w) != nullptr;
    return false;
}

bool FormBase::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        const bool r = QWidget::event(e);
        if (!activationDUneForme())
            return r;
        appeler("Form_Activate", [this] {
            SuivreLangueCourante();
            Form_Activate();
            if (m_traductionActivation)
                traduireSiEtranger();
        });
        return r;
    }
    return QWidget::event(e);
}

void FormBase::surveiller(QObject* objet) {
    objet->installEventFilter(this);
    for (QObject* enfant : objet->children())
        if (enfant->isWidgetType())
            surveiller(enfant);
}

bool FormBase::appartientAuFormulaire(QObject* objet) const {
    auto* w = qobject_cast<QWidget*>(objet);
    return w && w->window() == this;
}

bool FormBase::eventFilter(QObject* objet, QEvent* e) {
    switch (e->type()) {
    case QEvent::ChildAdded: {
        // Controls added later are previewed too.
        QObject* enfant = static_cast<QChildEvent*>(e)->child();
        if (enfant && enfant->isWidgetType())
            surveiller(enfant);
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (appartientAuFormulaire(objet))
            return traiterTouche(objet, static_cast<QKeyEvent*>(e));
        break;
    default:
        break;
    }
    return QWidget::eventFilter(objet, e);
}

bool FormBase::traiterTouche(QObject* objet, QKeyEvent* e) {
    // The character a form typed instead of the one pressed was previewed already.
    if (m_dansRemplacement)
        return false;
    // A key the control ignores goes on to its parents with the same event object: preview it once.
    // Key events are built on the stack: a later key can have the same address, not the same time.
    if (e == m_dernierEvenement && e->type() == m_dernierType && e->key() == m_derniereTouche &&
        e->timestamp() == m_dernierHorodatage && m_derniereCible && objet != m_derniereCible) {
        for (QObject* p = m_derniereCible->parent(); p; p = p->parent())
            if (p == objet)
                return false;
    }
    m_dernierEvenement = e;
    m_dernierType = e->type();
    m_derniereTouche = e->key();
    m_dernierHorodatage = e->timestamp();
    m_derniereCible = objet;

    const bool f12 = e->key() == Qt::Key_F12;
    if (e->type() == QEvent::KeyPress) {
        appeler("Form_KeyDown", [this, e] { Form_KeyDown(e); });
        if (!f12 && traiterCaractere(objet, e))
            return true;
        // Esc is the cancel button's, when the form has one that can be pressed.
        if (e->key() == Qt::Key_Escape && m_boutonAnnuler && m_boutonAnnuler->isVisible() &&
            m_boutonAnnuler->isEnabled()) {
            m_dernierEvenement = nullptr;
            e->accept();
            m_boutonAnnuler->click();
            return true;
        }
    } else {
        appeler("Form_KeyUp", [this, e, f12] {
            if (f12 && m_toucheF12 && !e->isAutoRepeat())
                basculerLangue();
            Form_KeyUp(e);
        });
    }
    if (!f12)
        return false;
    m_dernierEvenement = nullptr;
    e->accept();
    return true;
}

bool FormBase::traiterCaractere(QObject* objet, QKeyEvent* e) {
    const QString texte = e->text();
    if (texte.size() != 1)
        return false;
    const int initial = texte.at(0).unicode();
    int code = initial;
    appeler("Form_KeyPress", [this, objet, &code] { Form_KeyPress(objet, code); });
    if (code == initial)
        return false;
    if (code > 0 && code <= 0xFFFF) {
        // Another character instead (an upper-case letter): the control gets that one.
        QKeyEvent autre(QEvent::KeyPress, e->key(), e->modifiers(), QString(QChar(code)), e->isAutoRepeat(),
                        e->count());
        m_dansRemplacement = true;
        QCoreApplication::sendEvent(objet, &autre);
        m_dansRemplacement = false;
    }
    m_dernierEvenement = nullptr;
    e->accept();
    return true;
}

// --- translation ---

void FormBase::traduireSiEtranger() {
    const EtatGlobal& g = Global();
    if (g.LangueCourante != QLatin1String("FR"))
        MODTranslate::TraduireForm(this, g.FichierLangue);
}

void FormBase::basculerLangue() {
    EtatGlobal& g = Global();
    if (g.LangueCourante != QLatin1String("FR")) {
        g.LangueCourante = QStringLiteral("FR");
        SuivreLangueCourante();
        MODTranslate::TraduireForm(this, FnWendrox::CheminApplication() +
                                             MODTranslate::NomFichierLangue(QStringLiteral("FR")));
    } else {
        QString langue = FnWendrox::LireIniString(g.CheminIni, QStringLiteral("Machine"),
                                                  QStringLiteral("Langue"), QStringLiteral("FR"));
        // An empty value means French, as at start.
        if (langue.isEmpty())
            langue = QStringLiteral("FR");
        g.LangueCourante = langue;
        SuivreLangueCourante();
        MODTranslate::TraduireForm(this, g.FichierLangue);
    }
}

QHash<QString, FormBase::Grille> FormBase::grilles() const {
    QHash<QString, Grille> g;
    for (QAbstractItemView* v : findChildren<QAbstractItemView*>()) {
        const QString nom = v->objectName();
        if (nom.isEmpty() || g.contains(nom) || v->window() != this)
            continue;
        g.insert(nom, {v, m_legendes.value(nom)});
    }
    return g;
}

void FormBase::declarerLegendeGrille(const QString& grille, QWidget* legende) {
    m_legendes.insert(grille, legende);
}

// --- hourglass ---

void FormBase::Sablier(bool actif) {
    if (actif == s_sablier || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (actif)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    s_sablier = actif;
}

bool FormBase::SablierActif() {
    return s_sablier;
}
